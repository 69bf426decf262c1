// The terminal's program log: one log file a day, named per running instance,
// through which the terminal, the connection workers and the portal library
// write their lines. Lines that carry a request, and the answers of the
// functions that answer with a password, are written with their password
// fields masked. Its files are readable by their owner only.
#pragma once

#include <atomic>
#include <chrono>
#include <span>
#include <string>
#include <string_view>

#include "logfile/log.h"
#include "platform/instance_lock.h"
#include "platform/sync.h"
#include "platform/thread.h"

namespace backend {

// Log line types. The type decides suppression and masking only; every
// written line becomes a record of application 0.
enum LogLineType : int {
  kLogNothing = 0,
  kLogTransportError = 1,
  kLogConnectionError = 2,
  kLogNote = 3,           // user actions, notes of the connection workers
  kLogCommunication = 4,  // requests, answers and pushes
};

// A copy of a communication line with its password fields replaced by
// "********". The part from the first "R|" on is read as separated fields
// counted from that "R": for a request or push (field 4 a non-zero number)
// field 8, and the further password fields of the functions that carry them.
// Quote pushes carry no password and stay as they are.
std::string MaskPasswordFields(std::string_view line);
// The same into `masked`, whose buffer is reused: a line logged costs no
// allocation.
void MaskPasswordFields(std::string_view line, std::string& masked);

// A copy of the status line of an answer to `function` (fields counted from
// the line's start) with its password fields replaced by "********": field 7
// of the quote server list (5451), fields 8 to 10 of the monitoring centre
// key (5406). The rows that follow a status line carry no password.
std::string MaskAnswerPasswordFields(int function, std::string_view statusLine);

// The instance's name prefix: "Quentara_" for the first running instance,
// "Quentara_1_", "Quentara_2_", ... for the next, numbered by lock files in
// `lockFolder` that `lock` holds while the instance runs. Without a lock to
// hold, the prefix of the first instance and no lock.
std::string AcquireInstancePrefix(const std::string& lockFolder, platform::InstanceLock& lock);

// Lines are held in memory and reach the file in one write, with the head
// that counts them, every kFlushInterval (or sooner when many are held), so
// that a line costs the writer a copy rather than two writes to the disk.
// The writes are the log's own thread's: a writer never waits for the disk
// unless the thread falls far behind. The file reads whole at any moment: a
// program that dies loses only the lines of its last moment.
class ProgramLog {
 public:
  static constexpr std::chrono::milliseconds kFlushInterval{50};

  ProgramLog() = default;
  ~ProgramLog() { Close(); }
  ProgramLog(const ProgramLog&) = delete;
  ProgramLog& operator=(const ProgramLog&) = delete;

  // Picks the instance prefix and opens today's file in ".\Log" of the
  // program folder (extension ".wqz", date in the name, 30 days kept).
  bool Open();
  // Writes what is held and closes the file.
  void Close();
  // Writes one line of the type (nothing for type 0, a null text, or while
  // the log is closed).
  void WriteLine(int type, const char* text);
  void WriteLine(int type, std::string_view text);
  // Writes the lines of the type in order, as WriteLine writes each, in one
  // go: a received block of lines takes the log's lock once.
  void WriteLines(int type, std::span<const std::string_view> lines);
  bool IsOpen() const { return open_.load(std::memory_order_relaxed); }
  // Writes the lines held so far, and the head.
  void Flush();

  std::string FileName() const { return log_.GetFileName(); }

 private:
  CLog log_;
  platform::InstanceLock instance_;
  std::atomic<bool> open_ = false;
  // Set by the writer whose line fills the held lines' room.
  platform::Event flushWanted_{platform::ResetMode::kAuto};
  platform::WorkerThread flusher_;
};

// The one program log of the terminal.
ProgramLog& TheProgramLog();
bool OpenProgramLog();
void CloseProgramLog();
// Also the log function handed to the portal library, which calls it from
// its own threads.
void WriteLogLine(int type, const char* text);
// The program log's WriteLines.
void WriteLogLines(int type, std::span<const std::string_view> lines);
// Writes an answer line to a request of `function` as a communication line,
// its password fields masked. The connection workers log every answer line
// through it (the rows of a multi-packet answer as answers to follow-up
// requests, function 0); the portal library logs none.
void WriteAnswerLine(int function, std::string_view line);

}  // namespace backend
