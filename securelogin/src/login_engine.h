// The secure-login flow: one engine holds the state of the last log-in and
// runs the rounds of function 5001, the certificate upload (5492) and
// download (5493), and the checks of the supplier's plug-in. Calls must not
// overlap; the engine has no threads.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cipher_calls.h"
#include "engine_log.h"
#include "middleware_link.h"
#include "securelogin/bnGatelin.h"
#include "supplier_manager.h"

namespace gatelin {

inline constexpr const char* kGatelinVersion = "1.0.2011.0302";

class LoginEngine {
 public:
  LoginEngine();
  ~LoginEngine();
  LoginEngine(const LoginEngine&) = delete;
  LoginEngine& operator=(const LoginEngine&) = delete;

  // Selects the log sink and reads the settings of `engineFolder`; 1.
  int InitInstance(GtnLogFunction log, std::string engineFolder);
  // Unloads the plug-in; the log sink's result.
  int ExitInstance();

  int Login(int connection, const HostParams& host, const char* request, const char* secret, int policy, char* reply,
            int replySize);
  int ReLogin(HalvostParam a, const char* request, char* reply, int replySize, HalvostParam e, HalvostParam f);
  int ChangePassword(int policy, const char* oldSecret, const char* newSecret, char* error, int errorSize);
  void PolicyList(unsigned char* list) const;

  // The middleware's reply hook, for the log-in in progress.
  int OnReply(int connection, const char* request, const char* reply, char* out, int outSize);

 private:
  // What the first round of a certificate log-in learnt, and what the
  // later rounds and the short relogin send back.
  struct Handshake {
    std::string savedField7;
    RandomBlock random{};
    std::string certificateDetail;
    std::string field31, field32, field33, field34, field35, field39;
    int envelopeMode = 0;
    std::string clientSerial;
    std::string reloginText;
    std::string certificateField;
    std::string challenge;   // R: the random number sent in the envelope
    std::string serverEcho;  // what the server's envelope gave back for it
  };

  // The last GTN_Login's arguments and what it learnt.
  struct LoginState {
    bool made = false;
    int connection = 0;
    HostParams host;
    std::string secret;
    int policy = 0;
    std::string field6;
    int kind = 0;
    std::string lastField31;
    std::string lastField39;
  };

  void BeginCall(const char* request, char* reply, int replySize);
  void Prepare();
  int RunLogin();
  int RunReLogin(const std::string& field6);

  int Round(int type);
  int CallMiddleware(int type);
  int Exchange(int function, const std::string& text, std::string_view name);
  int RefusedByServer();

  int RunHandshake();
  int RoundOne();
  int CheckClientCertificate();
  int CheckServerCertificate();
  int CheckServerSignature();
  int CheckRandomEcho();
  int Sign();
  std::string CertificateField() const;
  int UploadCertificate();
  int DownloadCertificate();
  std::string CertificateRequest(std::string_view function) const;

  int Fail(std::string_view message);
  int Fail(const Failure& failure);
  int CommunicationError(std::string_view title, int code);
  void WriteReply(std::string_view text);
  std::string ReplyText() const;
  std::string ReplyField(int n) const;
  void SetField(int n, std::string_view value);
  bool FitsMiddleware(const std::string& text) const;
  // The plug-in's error buffer, emptied for the next call.
  char* PluginError();
  std::string PluginErrorText() const;
  const PluginFunctions& Plugin() const { return *suppliers_.Current(); }

  SupplierManager suppliers_;
  EngineLog log_;
  MiddlewareLink middleware_;
  LoginState state_;
  Handshake handshake_;
  std::string request_;
  char* reply_ = nullptr;
  int replySize_ = 0;
  std::vector<char> pluginError_;
};

}  // namespace gatelin
