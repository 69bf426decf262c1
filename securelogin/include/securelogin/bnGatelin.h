/*
 * bnGatelin: the secure-login engine. A host that holds a connection of the
 * Halvost middleware logs in to the trading back end with certificate-based
 * authentication: the engine adds the authentication fields to the host's
 * login request (function 5001), runs its rounds over the middleware and
 * checks signatures, digital envelopes and a random challenge through the
 * plug-in of the authentication supplier.
 *
 * Settings: "Gatelin.ini" in the folder "GTNdll" beside the host executable;
 * supplier plug-ins are "GTNdll/<appid>/GTN_<appid>.so". Texts are GBK.
 * Calls must not overlap; the engine has no threads.
 */
#ifndef SECURELOGIN_BNGATELIN_H
#define SECURELOGIN_BNGATELIN_H

#include <stdint.h>

#if defined(GATELIN_BUILD)
#define GATELIN_API __attribute__((visibility("default")))
#else
#define GATELIN_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Results of GTN_Login and GTN_ReLogin. */
enum {
  GTN_LOGGED_IN = 1,
  GTN_REFUSED = 0,              /* the server refused; the connection is closed */
  GTN_COMMUNICATION_ERROR = -1, /* the middleware's error text is in the reply buffer */
  GTN_FAILED = -2               /* "message:supplier text" in the reply buffer; the connection is closed */
};

/* The policy list of GTN_GetGTNpolicyList: a little-endian int32 count, then
 * 16 entries of 140 bytes: policy kind id (int32), supplier number (int32),
 * display name (128 bytes, NUL-terminated), policy number (int32). */
#define GTN_POLICY_LIST_SIZE 2244
#define GTN_POLICY_LIST_CAPACITY 16
#define GTN_POLICY_ENTRY_SIZE 140

/* Takes a log line (GBK, no line end); its result is returned by
 * GTN_ExitInstance. */
typedef int (*GtnLogFunction)(const char* text);

/* Host parameters pass to the middleware unchanged (native width, so that one
 * may carry a record's address). */
typedef intptr_t GtnHostParam;

/* Logs to `log`, or to the engine's daily log file when null, and reads the
 * settings. Returns 1. */
GATELIN_API int GTN_InitInstance(GtnLogFunction log);
/* Unloads the supplier plug-in; returns the log sink's result. */
GATELIN_API int GTN_ExitInstance(void);
GATELIN_API int GTN_Login(int connection, GtnHostParam a, GtnHostParam b, GtnHostParam c, GtnHostParam d,
                          const char* request, const char* secret, int policy, char* reply, int replySize,
                          GtnHostParam e, GtnHostParam f);
/* Logs in again on the connection, policy and host parameters B to D of the
 * last GTN_Login. */
GATELIN_API int GTN_ReLogin(GtnHostParam a, const char* request, char* reply, int replySize, GtnHostParam e,
                            GtnHostParam f);
/* 1 changed, 0 not (the reason in `error`, cut to size - 1 bytes). */
GATELIN_API int GTN_ChangeSEpassword(int policy, const char* oldSecret, const char* newSecret, char* error,
                                     int errorSize);
/* Fills a buffer of GTN_POLICY_LIST_SIZE bytes; returns 1. */
GATELIN_API int GTN_GetGTNpolicyList(unsigned char* list);
/* Copies the version text (at most size - 1 bytes); returns the buffer. */
GATELIN_API char* GTN_GetDllVersion(char* buffer, int size);

#ifdef __cplusplus
}
#endif

#endif /* SECURELOGIN_BNGATELIN_H */
