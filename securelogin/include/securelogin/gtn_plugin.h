/*
 * The contract of an authentication supplier's plug-in for bnGatelin: a
 * shared library "GTN_<appid>.so" in the folder "<engine folder>/<appid>",
 * whose eleven functions are found by name. Each returns non-zero for
 * success unless said otherwise; error texts (GBK) go into the caller's
 * buffer, at most errorSize - 1 bytes and a terminator. In/out lengths give
 * the output buffer's size on entry and the length written on return.
 */
#ifndef SECURELOGIN_GTN_PLUGIN_H
#define SECURELOGIN_GTN_PLUGIN_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The information record that GetSupplierInfo fills: 244 bytes, zero-filled
 * by the engine; the engine reads the capability bitmap, the second int32. */
#define GTN_SUPPLIER_INFO_SIZE 244
#define GTN_SUPPLIER_INFO_CAPABILITIES_OFFSET 4

/* GetcustCertDetail types */
#define GTN_DETAIL_CERTIFICATE 1 /* the client certificate's detail, 128 bytes */
#define GTN_DETAIL_ECHO_KEY 2    /* key text of the random-echo check, 64 bytes */

/* Envelope modes */
#define GTN_ENVELOPE_MAKE 1 /* for the server */
#define GTN_ENVELOPE_OPEN 2 /* from the server */

typedef int (*GtnGetSupplierInfoFn)(void* info);
typedef int (*GtnGetCustCertDetailFn)(char* output, int outputSize, int type, char* error, int errorSize);
/* Greater than 0: the server certificate of that identifier is held and valid. */
typedef int (*GtnCheckServiceCertValidFn)(const char* serverCertificateId, char* error, int errorSize);
typedef int (*GtnInitializeSessionFn)(const char* supplierFolder, const char* secret, char* error, int errorSize);
typedef int (*GtnClearSessionFn)(void);
typedef int (*GtnSignDataFn)(const char* text, int length, char* signature, int* signatureLength,
                             int32_t* signatureNumber, char* error, int errorSize);
/* Success in the low byte of the result. */
typedef int (*GtnVerifySignDataFn)(const char* text, int length, const char* signature, int signatureLength,
                                   int signatureNumber, char* error, int errorSize);
typedef int (*GtnEnvelopeFn)(int mode, const char* input, int inputLength, char* output, int* outputLength, char* error,
                             int errorSize);
typedef int (*GtnDownLoadCertificateFn)(const char* certificate, int length, char* error, int errorSize);
typedef int (*GtnUpTransCertificateFn)(char* certificate, int* length, char* error, int errorSize);
/* 1 when the secret was changed. */
typedef int (*GtnChangePasswordFn)(const char* oldSecret, const char* newSecret, char* error, int errorSize);

#ifdef __cplusplus
}
#endif

#endif /* SECURELOGIN_GTN_PLUGIN_H */
