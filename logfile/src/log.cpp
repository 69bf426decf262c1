// CLog: opening, closing, the head and the writing operations.
#include "logfile/log.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <random>
#include <string_view>
#include <utility>
#include <vector>

#include "log_file_handle.h"
#include "log_format.h"
#include "log_scope.h"
#include "logfile/bn_time.h"
#include "platform/files.h"
#include "platform/gbk.h"

using namespace logfile;

namespace {

constexpr int kMaxTextLength = 10140;
constexpr unsigned kHeadSaveInterval = 10;  // unforced saves per written head
constexpr std::uint64_t kMaxFileOffset = std::numeric_limits<std::uint32_t>::max();
constexpr int kKeyLength = 11;

constexpr std::string_view kCompany = "Brennark";
constexpr std::string_view kTitle = "Log file";

constexpr const char* kCannotCreate = "无法创建日志文件！";
constexpr const char* kCannotOpen = "无法打开日志文件！";
constexpr const char* kBadData = "日志文件数据错误！";
constexpr const char* kNotOurs = "不是布伦纳克公司的日志文件！";

struct DefaultApplication {
  short id;
  const char* name;
};
constexpr DefaultApplication kDefaultApplications[] = {
    {0, "日志系统日志"}, {1, "TRAVO包日志"}, {11, "日志系统数据日志"}};

std::string_view FieldText(const char* field, std::size_t size) {
  return std::string_view(field, ::strnlen(field, size));
}

// The bytes of a text that its record takes: cut to kMaxTextLength on a
// character boundary.
int TextRecordLength(std::string_view text) {
  const std::string_view kept = text.substr(0, std::min<std::size_t>(text.size(), kMaxRecordData));
  return static_cast<int>(platform::GbkFitLength(kept, kMaxTextLength));
}

// Printable characters 32..121.
void MakeKey(char (&key)[kHeadTextSize]) {
  std::random_device source;
  std::uniform_int_distribution<int> printable(32, 121);
  std::fill(std::begin(key), std::end(key), '\0');
  for (int i = 0; i < kKeyLength; ++i) key[i] = static_cast<char>(printable(source));
}

}  // namespace

struct CLog::Batch {
  std::shared_ptr<LogFileHandle> file;
  // Nothing to write without a number: such a batch waits for no other.
  std::optional<std::uint64_t> number;
  std::uint64_t epoch = 0;
  // The records, from the file offset `start` on, and the head's counts
  // before them.
  std::vector<std::uint8_t> records;
  std::uint32_t start = 0;
  std::uint32_t countBefore = 0;
  std::uint32_t packsBefore = 0;
  std::optional<HeadBytes> head;  // scrambled
};

CLog::CLog() { Init(); }

CLog::~CLog() { CloseFile(); }

void CLog::Init() {
  Scope scope(*this);
  file_.reset();
  mode_ = kClosed;
  dateMode_ = 0;
  daysToKeep_ = 0;
  fileName_.clear();
  directory_.clear();
  prefix_.clear();
  datePart_.clear();
  extension_.clear();
  head_ = st_LogHead{};
  head_.version = kHeadVersionValue;
  kCompany.copy(head_.company, kCompany.size());
  kTitle.copy(head_.title, kTitle.size());
  MakeKey(head_.key);
  for (st_LogAppEntry& app : head_.apps) app.enabled = 1;
  head_.firstRecord = kFirstRecordOffset;
  head_.writePosition = kFirstRecordOffset;
  headSaveCount_ = 0;
  lastSaveWrote_ = false;
  held_.clear();
  holdLimit_ = 0;
  onFull_ = nullptr;
  flushAsked_ = false;
  ++epoch_;  // batches still on their way belong to a file no longer held
  growthUnwritten_ = false;
  namedYear_ = namedMonth_ = namedDay_ = 0;
  for (const DefaultApplication& app : kDefaultApplications) AddAppName(app.id, app.name);
}

int CLog::OpenLogFile(const char* name) {
  Scope scope(*this);
  if (file_) return 0;
  if (name && *name) {
    fileName_ = name;
    mode_ = kReading;
  } else {
    mode_ = kWriting;
  }
  return OpenFile();
}

void CLog::CloseLogFile() {
  Scope scope(*this);
  CloseFile();
  Init();
}

int CLog::OpenFile() {
  Scope scope(*this);
  if (fileName_.empty() || file_) return 0;
  const bool reading = mode_ == kReading;
  if (reading) {
    file_ = LogFileHandle::OpenForReading(fileName_);
    if (!file_) Raise(kCannotOpen);
  }
  if (reading ? !file_ : !OpenForWriting()) {
    mode_ = kClosed;
    return 0;
  }
  // An empty file is one whose creation was cut short: it is made anew.
  if (!reading && file_->IsEmpty()) {
    if (!StartNewFile()) {
      file_.reset();
      mode_ = kClosed;
      return 0;
    }
    DeleteOutOfDateFiles(daysToKeep_);
  } else if (!LoadHead(false)) {
    Init();
    return 0;
  }
  if (!reading) WriteLog(0, "启动日志。");
  return 1;
}

void CLog::CloseFile() {
  Scope scope(*this);
  if (!file_) return;
  WriteLog(0, "关闭日志。");
  if (file_) SaveFileHead(1);  // the record may have gone to a new file that could not be opened
  file_.reset();
  mode_ = kClosed;
}

bool CLog::OpenForWriting() {
  const bool existed = platform::PathExists(fileName_);
  file_ = LogFileHandle::OpenForWriting(fileName_);
  if (!file_) Raise(existed ? kCannotOpen : kCannotCreate);
  return file_ != nullptr;
}

bool CLog::StartNewFile() {
  head_.firstRecord = kFirstRecordOffset;
  head_.writePosition = kFirstRecordOffset;
  head_.fileSize = 0;
  head_.recordCount = 0;
  head_.packCount = 0;
  if (ResizeFile() && SaveFileHead(1)) return true;
  Raise(kCannotCreate);
  return false;
}

bool CLog::LoadHead(bool keepApplications) {
  const st_LogHead previous = head_;
  const bool sound = ReadFileHead() && head_.fileSize >= head_.writePosition &&
                     head_.firstRecord == kFirstRecordOffset && head_.writePosition >= kFirstRecordOffset &&
                     head_.version == kHeadVersionValue && head_.appCount <= kMaxApplications;
  const bool ours =
      sound && FieldText(head_.company, kHeadTextSize) == kCompany && FieldText(head_.title, kHeadTextSize) == kTitle;
  if (!ours) {
    Raise(sound ? kNotOurs : kBadData);
    head_ = previous;
    return false;
  }
  if (keepApplications) {
    head_.appCount = previous.appCount;
    std::copy(std::begin(previous.apps), std::end(previous.apps), head_.apps);
  }
  return true;
}

int CLog::ReadFileHead() {
  Scope scope(*this);
  HeadBytes bytes;
  if (!file_ || !file_->ReadAt(0, bytes.data(), bytes.size())) return 0;
  UnscrambleHead(bytes);
  head_ = DecodeHead(bytes);
  for (st_LogAppEntry& app : head_.apps) app.enabled = 1;
  return 1;
}

int CLog::SaveFileHead(int force) {
  Scope scope(*this);
  return SaveHead(force != 0);
}

int CLog::SaveHead(bool force) {
  if (!file_) return 0;
  if (mode_ != kWriting) return 1;
  ++headSaveCount_;
  // Held records are written with the head that counts them, not before.
  const bool due = force || (holdLimit_ == 0 && headSaveCount_ % kHeadSaveInterval == 0);
  if (!due) {
    lastSaveWrote_ = false;
    return 1;
  }
  return WriteHandedOver(true) ? 1 : 0;
}

int CLog::FlushSaveFileHead() {
  Batch batch;
  {
    Scope scope(*this);
    if (lastSaveWrote_ || !file_ || mode_ != kWriting) return 1;
    ++headSaveCount_;
    batch = HandOver(true);
  }
  // Writers go on meanwhile; what they write is held for the next flush.
  const Written written = WriteBatch(batch);
  Scope scope(*this);
  Settle(batch, written);
  return 1;
}

int CLog::ResizeFile() {
  Scope scope(*this);
  static const std::uint8_t kZeros[kFileGrowth] = {};
  if (!file_ || head_.fileSize + std::uint64_t{kFileGrowth} > kMaxFileOffset) return 0;
  if (!WriteAt(*file_, head_.fileSize, kZeros, sizeof kZeros)) return 0;
  head_.fileSize += kFileGrowth;
  return 1;
}

bool CLog::WriteAt(LogFileHandle& file, std::uint64_t offset, const void* data, std::size_t size) {
  return file.WriteAt(offset, data, size);
}

int CLog::Crypt(void* buffer, int length) const {
  Scope scope(*this);
  if (!file_) return 0;
  if (buffer && length > 0)
    XorWithKey(static_cast<std::uint8_t*>(buffer), static_cast<std::size_t>(length), KeyText(head_));
  return 1;
}

int CLog::WriteToFile(short appId, const void* data, int length) {
  Scope scope(*this);
  return WriteStamped(appId, data, length, GetBNTime().Current());
}

int CLog::WriteStamped(short appId, const void* data, int length, const CBNTime::Fields& now) {
  if (!file_ || !data || length <= 0) return 0;
  if (mode_ != kWriting) return 1;
  if (head_.fileSize < head_.writePosition) return 0;
  // Cut before the length goes into the 16-bit field.
  const auto dataLength = static_cast<std::uint32_t>(std::min(length, kMaxRecordData));
  const auto recordSize = static_cast<std::uint32_t>(dataLength + kRecordHeadSize);
  // The free space must exceed the record, and the file never grows past
  // 32-bit offsets, so neither does the record.
  while (head_.fileSize - head_.writePosition <= recordSize) {
    if (head_.fileSize + std::uint64_t{kFileGrowth} > kMaxFileOffset) return 0;
    head_.fileSize += kFileGrowth;
    growthUnwritten_ = true;
  }

  if (held_.empty()) StartHolding();
  const std::size_t at = held_.size();
  held_.resize(at + recordSize);
  std::uint8_t* record = held_.data() + at;
  StoreU16(record + kRecordLength, static_cast<std::uint16_t>(dataLength + kRecordFixedLength));
  StoreU16(record + kRecordType, static_cast<std::uint16_t>(appId));
  char stamp[kTimeTextSize];
  FormatTimeStamp(stamp, now.month, now.day, now.hour, now.minute, now.second, now.msecond);
  std::memcpy(record + kRecordTime, stamp, kTimeTextSize);
  std::memcpy(record + kRecordHeadSize, data, dataLength);
  // The key restarts at each record's id field.
  const std::string_view key = KeyText(head_);
  if (!keyRun_ || keyRun_->Key() != key) keyRun_.reset(new (std::nothrow) KeyRun(key));
  if (keyRun_) {
    keyRun_->Apply(record + kRecordType, dataLength + kRecordFixedLength);
  } else {
    XorWithKey(record + kRecordType, dataLength + kRecordFixedLength, key);
  }

  ++head_.recordCount;
  head_.writePosition += recordSize;
  if (holdLimit_ == 0) return WriteHandedOver(false) ? 1 : 0;
  if (held_.size() < holdLimit_) return 1;
  if (onFull_ && held_.size() < kHeldBeyondLimit * holdLimit_) {
    if (!flushAsked_) onFull_();
    flushAsked_ = true;
    return 1;
  }
  return SaveHead(true);
}

void CLog::StartHolding() {
  heldStart_ = head_.writePosition;
  countBeforeHeld_ = head_.recordCount;
  packsBeforeHeld_ = head_.packCount;
}

CLog::Batch CLog::HandOver(bool withHead) {
  Batch batch;
  batch.file = file_;
  batch.epoch = epoch_;
  if (held_.empty() && growthUnwritten_) StartHolding();
  // Everything after the records up to the file's size is zeros.
  if (growthUnwritten_) held_.resize(held_.size() + (head_.fileSize - head_.writePosition));
  growthUnwritten_ = false;
  batch.start = heldStart_;
  batch.countBefore = countBeforeHeld_;
  batch.packsBefore = packsBeforeHeld_;
  // The next records go into the buffer of an earlier batch: held records
  // cost no allocation.
  batch.records.swap(held_);
  held_.swap(spare_);
  held_.reserve(batch.records.capacity());
  if (withHead) {
    batch.head = EncodeHead(head_);
    ScrambleHead(*batch.head, KeyText(head_));
    // Until the batch fails, nothing is held that the disk will not have.
    lastSaveWrote_ = true;
  }
  flushAsked_ = false;
  if (!batch.records.empty() || batch.head) batch.number = nextBatch_++;
  return batch;
}

CLog::Written CLog::WriteBatch(Batch& batch) {
  if (!batch.number) return Written::kAll;
  std::unique_lock lock(diskMutex_);
  diskTurn_.wait(lock, [&] { return batchesWritten_ == *batch.number; });
  Written written = Written::kAll;
  if (!batch.file || batch.epoch == failedEpoch_) {
    written = Written::kDropped;
  } else if (!batch.records.empty() && !WriteAt(*batch.file, batch.start, batch.records.data(), batch.records.size())) {
    written = Written::kNotRecords;
    failedEpoch_ = batch.epoch;
  } else if (batch.head && !WriteAt(*batch.file, 0, batch.head->data(), batch.head->size())) {
    written = Written::kNotHead;
  }
  ++batchesWritten_;
  lock.unlock();
  diskTurn_.notify_all();
  return written;
}

void CLog::Settle(Batch& batch, Written written) {
  if (spare_.capacity() < batch.records.capacity()) {
    batch.records.clear();
    spare_.swap(batch.records);
  }
  // A batch of an earlier file, or one placed after records that failed,
  // has nothing more to undo.
  if (batch.epoch != epoch_ || written == Written::kAll || written == Written::kDropped) return;
  lastSaveWrote_ = false;
  if (written == Written::kNotHead) return;
  head_.writePosition = batch.start;
  head_.recordCount = batch.countBefore;
  head_.packCount = batch.packsBefore;
  held_.clear();
  // The zeros up to the file's size may be missing now.
  growthUnwritten_ = true;
  ++epoch_;
}

bool CLog::WriteHandedOver(bool withHead) {
  Batch batch = HandOver(withHead);
  const Written written = WriteBatch(batch);
  Settle(batch, written);
  return written == Written::kAll;
}

int CLog::HoldWrites(int bytes, std::function<void()> onFull) {
  Scope scope(*this);
  if (bytes < 0) return 0;
  holdLimit_ = static_cast<std::size_t>(bytes);
  onFull_ = holdLimit_ > 0 ? std::move(onFull) : nullptr;
  flushAsked_ = false;
  if (holdLimit_ == 0 && !held_.empty()) SaveFileHead(1);
  // The buffers are kept between flushes: held records cost no allocation.
  const std::size_t most = (onFull_ ? kHeldBeyondLimit : 1) * holdLimit_ + kMaxRecordData + kRecordHeadSize;
  held_.reserve(most);
  spare_.reserve(most);
  return 1;
}

std::optional<int> CLog::WriteRefusal(short appId, bool refusePackTypes) const {
  if (!file_ || appId < 0 || (refusePackTypes && IsPackRecordType(appId))) return 0;
  if (mode_ != kWriting) return 1;
  const st_LogAppEntry* app = FindApplication(appId);
  if (!app) return 0;
  if (!app->enabled) return 1;
  return std::nullopt;
}

int CLog::WriteRecord(short appId, const void* data, int length) {
  // One reading of the clock names the file and stamps the record.
  return WriteRecordAt(appId, data, length, GetBNTime().Current());
}

int CLog::WriteRecordAt(short appId, const void* data, int length, const CBNTime::Fields& now) {
  CheckFileNameFor(now);
  if (!WriteStamped(appId, data, length, now)) return 0;
  SaveHead(false);
  return 1;
}

int CLog::WriteLog(short appId, const char* format, ...) {
  Scope scope(*this);
  if (const auto refusal = WriteRefusal(appId, true)) return *refusal;
  if (!format) return 0;
  char text[kMaxRecordData + 1];
  va_list args;
  va_start(args, format);
  const int formatted = std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (formatted < 0) return 0;
  const std::size_t kept = std::min<std::size_t>(static_cast<std::size_t>(formatted), kMaxRecordData);
  return WriteRecord(appId, text, TextRecordLength({text, kept}));
}

int CLog::WriteText(short appId, const char* text, std::size_t length) {
  Scope scope(*this);
  if (const auto refusal = WriteRefusal(appId, true)) return *refusal;
  if (!text) return 0;
  return WriteRecord(appId, text, TextRecordLength({text, length}));
}

int CLog::WriteTexts(short appId, std::span<const std::string_view> texts) {
  Scope scope(*this);
  if (const auto refusal = WriteRefusal(appId, true)) return *refusal;
  const CBNTime::Fields now = GetBNTime().Current();
  int written = 1;
  for (const std::string_view text : texts) {
    written = text.data() == nullptr ? 0 : WriteRecordAt(appId, text.data(), TextRecordLength(text), now);
  }
  return written;
}

int CLog::WriteRawLog(short appId, const void* data, int length) {
  Scope scope(*this);
  if (const auto refusal = WriteRefusal(appId, false)) return *refusal;
  return WriteRecord(appId, data, length);
}

int CLog::WriteData(const void* data, int length) { return WriteRawLog(11, data, length); }

int CLog::WritePack(const void* data, int length, const char* name) {
  constexpr short kPackType = 1;
  Scope scope(*this);
  if (!file_ || length < 0 || length > kMaxPackData || (length > 0 && !data)) return 0;
  const st_LogAppEntry* app = FindApplication(kPackType);
  if (mode_ != kWriting || (app && !app->enabled)) return 1;

  CheckFileName();
  std::vector<std::uint8_t> record(kPackNameSize + static_cast<std::size_t>(length), 0);
  const std::string_view packName = name ? name : "";
  std::memcpy(record.data(), packName.data(), platform::GbkFitLength(packName, kPackNameSize));
  if (length > 0) std::memcpy(record.data() + kPackNameSize, data, static_cast<std::size_t>(length));
  const int written = WriteToFile(kPackType, record.data(), static_cast<int>(record.size()));
  if (written) {
    ++head_.packCount;
    SaveFileHead(0);
  }
  return written;
}

int CLog::AddAppName(short appId, const char* name) {
  Scope scope(*this);
  if (appId < 0 || !name || std::strlen(name) >= kAppNameSize) return 0;
  if (st_LogAppEntry* app = FindApplication(appId)) {
    if (FieldText(app->name, kAppNameSize) != name) return 0;
    app->enabled = 1;
    return 1;
  }
  if (head_.appCount >= kMaxApplications) return 0;
  st_LogAppEntry& app = head_.apps[head_.appCount++];
  app = st_LogAppEntry{};
  app.id = static_cast<std::uint16_t>(appId);
  std::memcpy(app.name, name, std::strlen(name));
  app.enabled = 1;
  SaveFileHead(1);
  return 1;
}

int CLog::EnableWrite(short appId, int flag) {
  Scope scope(*this);
  if (appId < 1) return 0;
  if (st_LogAppEntry* app = FindApplication(appId)) app->enabled = flag != 0;
  return 1;
}

const st_LogAppEntry* CLog::FindApplication(short appId) const {
  const auto* end = head_.apps + std::min<int>(head_.appCount, kMaxApplications);
  const auto* found = std::find_if(
      head_.apps, end, [appId](const st_LogAppEntry& app) { return app.id == static_cast<std::uint16_t>(appId); });
  return found == end ? nullptr : found;
}

st_LogAppEntry* CLog::FindApplication(short appId) {
  return const_cast<st_LogAppEntry*>(std::as_const(*this).FindApplication(appId));
}

void CLog::Raise(const char* message) { pendingMessage_ = message; }
