// CLog writes one scrambled log file at a time: a 560-byte head followed by
// length-prefixed records, each stamped with the cached clock's time and an
// application id. In write mode the file name follows the date and a size
// limit (a new day starts a new file, a file beyond the limit goes on in the
// next part), and files older than the days to keep are deleted. The same
// class reads a log file back record by record.
//
// Every operation, public or protected, runs under the object's write lock,
// so one object may be used from any number of threads. Records held in
// memory go to the disk under a disk lock of their own: FlushSaveFileHead
// hands them over under the write lock and writes them after releasing it,
// so other threads go on writing records while the disk is slow. Results
// are 1 for success and 0 for failure unless said otherwise.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "logfile/bn_time.h"
#include "logfile/export.h"
#include "logfile/log_head.h"

namespace logfile {
class KeyRun;
class LogFileHandle;
}  // namespace logfile

class QUILLMERE_API CLog {
 public:
  CLog();
  // Closes the file.
  virtual ~CLog();
  CLog(const CLog&) = delete;
  CLog& operator=(const CLog&) = delete;

  // A non-empty name opens that file for reading; an empty one opens the
  // file named by SetFileMode for writing.
  int OpenLogFile(const char* name);
  // Closes the file and resets the object with a new file key.
  void CloseLogFile();

  // A text record, formatted as by printf and cut to 10140 bytes. Refused for
  // the pack types, a negative id and an unregistered one; a disabled
  // application, or an object that reads, gives 1 without writing.
  int WriteLog(short appId, const char* format, ...) __attribute__((format(printf, 3, 4)));
  // A text record of the text as it stands, cut to 10140 bytes on a
  // character boundary as WriteLog cuts: WriteLog with "%s" and the text,
  // without formatting it.
  int WriteText(short appId, const char* text, std::size_t length);
  // A text record of each text, in order, as WriteText writes it, stamped
  // with one reading of the clock and under one taking of the write lock:
  // the lines of one moment cost a copy each. The result of the last
  // record, or of the refusal that writes none.
  int WriteTexts(short appId, std::span<const std::string_view> texts);
  // A record of raw bytes, cut to 10240.
  int WriteRawLog(short appId, const void* data, int length);
  // WriteRawLog as application 11.
  int WriteData(const void* data, int length);
  // A pack record (type 1): the name in a 50-byte field, then at most
  // 10188 bytes of data.
  int WritePack(const void* data, int length, const char* name);

  // Registers an application (name of at most 20 bytes) or enables a
  // registered one of the same name.
  int AddAppName(short appId, const char* name);
  // Switches writing of one application on or off; ids below 1 are refused.
  int EnableWrite(short appId, int flag);
  // Writes the head to disk unless the last head save already did; records
  // held by HoldWrites reach the file first. The disk write happens outside
  // the write lock: records written meanwhile are held for the next flush.
  int FlushSaveFileHead();
  // Held writing: with `bytes` above 0 the records are kept in memory and
  // written in one go, followed by the head, once that many bytes are held,
  // by FlushSaveFileHead, before the file changes and when it closes; the
  // head on disk never counts a record that is not on disk, so the file
  // reads whole at any moment and a writer that dies loses only what it
  // held. 0 (the default) writes every record at once, after what is held.
  //
  // With `onFull`, the writer that brings the held records to `bytes` calls
  // it instead of writing them, once until the next flush, so that another
  // thread writes them by FlushSaveFileHead; `onFull` runs under the write
  // lock and must only signal that thread. A writer still writes the held
  // records itself once kHeldBeyondLimit times `bytes` are held, so memory
  // stays bounded when that thread falls behind.
  int HoldWrites(int bytes, std::function<void()> onFull = {});
  static constexpr int kHeldBeyondLimit = 4;

  // Where the file goes: directory (made absolute and created), name
  // prefix, extension, date flags (4 year, 2 month, 1 day in the name) and
  // days to keep. 0 when the directory exceeds 259, the prefix 49 or the
  // extension 19 bytes.
  int SetFileMode(const char* directory, const char* prefix, const char* extension, unsigned dateMode, int daysToKeep);
  // Deletes this object's files dated more than `days` days ago (date mode 7
  // and writing only).
  int DeleteOutOfDateFiles(int days);
  std::string GetFileName() const;
  // The head as held in memory, key in plain text.
  int GetFileInfo(st_LogHead& head) const;

  // Reading. `timeText` holds kTimeTextSize bytes, `name` kPackNameBufferSize,
  // `data` kReadBufferSize; data and name are followed by a zero byte.
  // Positions count bytes from the first record; 0 at the end of the records.
  int GetNextLog(std::uint32_t& position, short& type, char* timeText, char* data, short& dataLength);
  // Reads forward to the next pack record; the position moves only on success.
  int GetNextPack(std::uint32_t& position, char* name, char* timeText, char* data, short& dataLength);
  // The record with that ordinal (0 = first); pack types give their name.
  int GetLog(std::uint32_t ordinal, short& type, char* timeText, char* name, char* data, short& dataLength);

  // Starts the log viewer scrivane on the current file: from the program's
  // folder when it is there, else from PATH.
  int ViewLogFile();

 protected:
  void Init();
  int OpenFile();
  void CloseFile();
  int ReadFileHead();
  int SaveFileHead(int force);
  int ResizeFile();
  int WriteToFile(short appId, const void* data, int length);
  // XORs the buffer with the file key; needs an open file.
  int Crypt(void* buffer, int length) const;

  // Recomputes the file name and, when it changed, goes on in the new file.
  int CheckFileName();
  static void AddSlash(std::string& path);
  static int GetFullPath(std::string& path);
  static int MakePath(std::string path);

  // The file size beyond which the next write goes on in the next part,
  // 2,000,000,000 bytes unless lowered (tests do, to roll over small files).
  void SetRollOverSize(std::uint32_t bytes);

  // Writes `size` bytes at `offset` of a file being written: every write to
  // it goes through here, a flush's without the write lock. True only when
  // all bytes were written.
  virtual bool WriteAt(logfile::LogFileHandle& file, std::uint64_t offset, const void* data, std::size_t size);

 private:
  class Scope;
  // Records and a head handed over to be written to disk.
  struct Batch;
  enum class Written { kAll, kNotHead, kNotRecords, kDropped };
  enum Mode { kClosed = 0, kWriting = 1, kReading = 2 };

  void ComputeFileName();
  bool OpenForWriting();
  bool StartNewFile();
  bool LoadHead(bool keepApplications);
  // Notes where held records start, and the head's counts before them.
  void StartHolding();
  // Under the write lock: hands the held records over, followed by the zeros
  // of what the file grew by meanwhile, and with `withHead` a copy of the
  // head that counts them; the object holds nothing afterwards.
  Batch HandOver(bool withHead);
  // Under the disk lock alone: waits until every batch handed over before
  // this one is written, then writes it, the records before the head. A
  // batch placed after records that failed to reach the disk is dropped.
  Written WriteBatch(Batch& batch);
  // Under the write lock again: after a failure the head forgets the failed
  // records and every record held since, which were placed after them.
  void Settle(Batch& batch, Written written);
  // HandOver, WriteBatch and Settle without letting go of the write lock;
  // true when everything reached the disk.
  bool WriteHandedOver(bool withHead);
  const st_LogAppEntry* FindApplication(short appId) const;
  st_LogAppEntry* FindApplication(short appId);
  // The result of a write that ends before writing; none when it goes on.
  std::optional<int> WriteRefusal(short appId, bool refusePackTypes) const;
  // WriteRecord and the operations it calls below run under the write lock
  // their caller holds.
  int WriteRecord(short appId, const void* data, int length);
  int WriteRecordAt(short appId, const void* data, int length, const CBNTime::Fields& now);
  int CheckFileNameFor(const CBNTime::Fields& today);
  // WriteToFile with the record stamped `now`.
  int WriteStamped(short appId, const void* data, int length, const CBNTime::Fields& now);
  int SaveHead(bool force);
  bool ReadRecordLength(std::uint64_t offset, std::uint16_t& length) const;
  bool ReadRecord(std::uint64_t offset, std::uint16_t length, short& type, char* timeText, char* data) const;
  void Raise(const char* message);

  // The write lock; Scope takes it for every operation and shows the
  // messages raised inside once it is released, so no modal box is open
  // while another thread waits for the log.
  mutable std::recursive_mutex mutex_;
  mutable int lockDepth_ = 0;
  mutable std::string pendingMessage_;

  int mode_ = kClosed;
  unsigned dateMode_ = 0;
  std::string fileName_;
  std::string directory_;
  std::string prefix_;
  std::string datePart_;
  std::string extension_;
  int daysToKeep_ = 0;
  // Shared with the batches on their way to it.
  std::shared_ptr<logfile::LogFileHandle> file_;
  // The run of the key that scrambled the last record, made again when the
  // head's key is another.
  std::unique_ptr<logfile::KeyRun> keyRun_;
  st_LogHead head_{};
  // Head saves of this object: every tenth unforced save writes.
  unsigned headSaveCount_ = 0;
  bool lastSaveWrote_ = false;
  std::uint32_t rollOverSize_ = 2000000000;
  // Records not yet written (held, or the one being written), from the file
  // offset heldStart_ on, and the head's counts before the first of them.
  std::vector<std::uint8_t> held_;
  std::uint32_t heldStart_ = 0;
  std::uint32_t countBeforeHeld_ = 0;
  std::uint32_t packsBeforeHeld_ = 0;
  std::size_t holdLimit_ = 0;
  std::function<void()> onFull_;
  bool flushAsked_ = false;
  // The buffer of the batch last written, for the next records to be held in.
  std::vector<std::uint8_t> spare_;
  // Batches count in order of handing over; a batch settles only while its
  // epoch is current: a failure and a change of file start a new epoch.
  std::uint64_t nextBatch_ = 0;
  std::uint64_t epoch_ = 0;
  // The disk lock, taken after the write lock or alone, never before it.
  std::mutex diskMutex_;
  std::condition_variable diskTurn_;
  std::uint64_t batchesWritten_ = 0;          // guarded by diskMutex_
  std::optional<std::uint64_t> failedEpoch_;  // guarded by diskMutex_
  // The head counts file growth whose zeros are not yet on disk: a record
  // grows the file in the head alone, and the zeros go out with the record,
  // so that growing costs no write of its own.
  bool growthUnwritten_ = false;
  // The day the file name was last computed for.
  int namedYear_ = 0;
  int namedMonth_ = 0;
  int namedDay_ = 0;
};
