// The back end's side of the secure login, scripted on the loopback test
// server: it answers the rounds of function 5001, takes an uploaded client
// certificate (5492) and hands out its own (5493, then continuation packets
// of function 0), and checks what the engine sent with the test keys.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "middleware/test_server.h"
#include "test_crypto.h"

namespace gatelin_test {

struct BackEndOptions {
  int kind = 2;                       // which log-in the back end expects
  int envelopeMode = 1;               // answer field 40
  bool randomEcho = false;            // field 34 "-1000": prove itself by the echo key
  std::string clientSerial = "8194";  // field 35: "0" asks for the certificate, "-1" refuses it
  std::string field34Tail = ",1";     // after the server certificate's serial: may the client download it
  std::string field39 = "P01#T1#T2";
  bool signRandomWrongly = false;
  bool echoWrongChallenge = false;
  bool refuseRound2 = false;
  std::string kind1Secret = "pass1";
  std::string kind1Token = "K1TOKEN";
  std::string sessionText = "SESSION2";  // sealed after R in round 2
  std::size_t downloadPacketSize = 200;
  std::string downloadPackets = "";  // answer field 4 of 5493; empty: the true count
  std::string downloadFiller = "";   // when set, every continuation packet carries it
};

class FakeBackEnd {
 public:
  FakeBackEnd(halvost::TestServer& server, const std::string& dataFolder, BackEndOptions options);

  // The password the envelope of the last round 2 carried after R.
  std::string EnvelopedPassword() const;
  // The client certificate the back end holds (uploaded or known).
  bool HasClientCertificate() const;
  std::string UploadedCertificate() const;

 private:
  std::string OnLogin(const halvost::ReceivedFrame& request);
  std::string RoundOne(const std::string& request);
  std::string RoundTwo(const std::string& request);
  std::string ReLogin(const std::string& request);
  std::string OnUpload(const halvost::ReceivedFrame& request);
  std::string OnDownload(const halvost::ReceivedFrame& request);
  std::string OnContinuation(const halvost::ReceivedFrame& request);
  std::string SealForClient(const std::string& text);  // under mutex_
  bool VerifyClient(const std::string& signature);     // under mutex_

  const BackEndOptions options_;
  gtn_test::KeyPtr serverKey_;
  gtn_test::CertificatePtr serverCertificate_;
  std::string echoKey_;

  mutable std::mutex mutex_;  // everything below: handlers run on the server's thread
  gtn_test::CertificatePtr clientCertificate_;
  std::string uploaded_;
  std::string challenge_;
  std::string challengeR_;
  std::string envelopedPassword_;
  std::size_t downloadNext_ = 0;
  int challenges_ = 0;
};

// An answer text: fields 0 to 40, "|" after each; field 3 is the status.
std::string Answer(bool accepted, const std::vector<std::pair<int, std::string>>& fields = {});

}  // namespace gatelin_test
