// The investor-service page of the futures margin monitoring centre: after
// the log-ins, start-up (and the statement view) opens it for the customer
// in the desktop's browser, logged in by a key the back end hands out
// (function 5406). A short-lived worker thread fetches the key and opens the
// page, so that its caller goes on at once.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/sync.h"
#include "platform/thread.h"

namespace client {

// The monitoring centre's key for one customer.
struct MonitorCentreKey {
  char companyId[10] = {};
  char userId[22] = {};
  std::int32_t keyId = 0;
  char password[23] = {};
};

// Asks the back end for the key of the account on slot 0 (function 5406).
// On success `key` holds the answer's user, company, key number and
// password; on failure it is left alone and `message` holds the reason.
bool QueryMonitorCentreKey(MonitorCentreKey& key, std::string& message);

// The page's address on the site (a setting, e.g. "https://host"): with a
// key, the address that logs the customer in by it (every value
// percent-encoded); without one, the bare login page.
std::string InvestorServicePageAddress(std::string_view siteAddress, const MonitorCentreKey* key);

// Opens an address with the desktop's default handler (xdg-open); false when
// the handler cannot be started.
bool OpenWithDesktopHandler(const std::string& address);

// The worker that fetches the key of the account on slot 0 and opens the
// page: logged in by the key when the back end gave one, the bare page
// otherwise. Failures stay inside the thread.
class InvestorServiceThread {
 public:
  using PageOpener = std::function<bool(const std::string& address)>;

  explicit InvestorServiceThread(PageOpener opener = OpenWithDesktopHandler);
  ~InvestorServiceThread() { Stop(); }
  InvestorServiceThread(const InvestorServiceThread&) = delete;
  InvestorServiceThread& operator=(const InvestorServiceThread&) = delete;

  // Starts a run for the site and returns at once. Without a site the page
  // is off (false). A run still under way is left to finish and no second
  // one starts (false); a finished one is joined first.
  bool Start(std::string_view siteAddress);
  // Waits for the run to end; a run stopped before it opens the page does
  // not open it. A run waiting for the key ends when its request ends: at
  // the latest when the connections are closed.
  void Stop();

 private:
  void Run(const std::string& siteAddress, platform::Event& stop);

  PageOpener opener_;
  std::mutex mutex_;  // serialises Start and Stop
  std::atomic<bool> finished_{false};
  platform::WorkerThread thread_;
};

// The terminal's one worker. Start-up starts it; shut-down stops it after
// the connections are closed, so that a key query still waiting ends.
bool StartInvestorServiceThread(std::string_view siteAddress);
void StopInvestorServiceThread();

// The site of the settings ("Configs.ini", [InvestorService]
// Address=https://...); empty, the page off, unless it is set.
std::string InvestorServiceSite();

}  // namespace client
