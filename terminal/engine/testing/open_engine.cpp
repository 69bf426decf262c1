#include "engine/testing/open_engine.h"

#include <thread>

namespace engine_testing {

bool LockIsFree(platform::CriticalSection& lock) {
  bool free = false;
  std::thread other([&] {
    free = lock.try_lock();
    if (free) lock.unlock();
  });
  other.join();
  return free;
}

bool OpenEngine::MakeReady() {
  SetDownloadState(engine::DownloadState::kDone);
  OnPushBatchDone();
  return GetEngineState() == engine::EngineState::kReady;
}

}  // namespace engine_testing
