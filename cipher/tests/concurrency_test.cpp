// The cipher keeps no state between calls, so callers on several threads
// with different keys never see each other's key schedule.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "cipher/Cryptane.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Encrypt(const Bytes& plain, const char* keyText) {
  Bytes cipher((plain.size() + 7) / 8 * 8);
  int length = 0;
  xEncryptData(plain.data(), static_cast<int>(plain.size()), cipher.data(), &length, keyText);
  return cipher;
}

TEST(Cryptane, ThreadsWithDifferentKeysDoNotDisturbEachOther) {
  const char* const keyTexts[] = {"first", "secondky", "third triple", "fourth triple key"};
  struct Job {
    const char* keyText;
    Bytes plain;
    Bytes cipher;
  };
  std::vector<Job> jobs;
  for (const char* keyText : keyTexts) {
    Bytes plain(40);
    for (std::size_t i = 0; i < plain.size(); ++i)
      plain[i] = static_cast<unsigned char>(keyText[0] + i + 1);
    jobs.push_back({keyText, plain, Encrypt(plain, keyText)});
  }

  std::atomic<int> mismatches{0};
  std::vector<std::thread> threads;
  for (const Job& job : jobs) {
    threads.emplace_back([&job, &mismatches] {
      for (int round = 0; round < 200; ++round) {
        if (Encrypt(job.plain, job.keyText) != job.cipher) ++mismatches;
        Bytes plain(job.cipher.size());
        int length = 0;
        xDecryptData(job.cipher.data(), static_cast<int>(job.cipher.size()), plain.data(), &length,
                     job.keyText);
        plain.resize(static_cast<std::size_t>(length));
        if (plain != job.plain) ++mismatches;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
