#include "history/UpdateHistory.h"

#include <sqlite3.h>

#include <filesystem>
#include <system_error>

#include "core/Log.h"
#include "core/ZConfig.h"
#include "platform/Files.h"
#include "platform/Locale.h"

namespace fs = std::filesystem;

namespace history {
namespace {

constexpr char kSchema[] =
    "CREATE TABLE IF NOT EXISTS records ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT, time TEXT NOT NULL, serial TEXT NOT NULL,"
    " pid INTEGER, what TEXT NOT NULL, subject TEXT NOT NULL, versionBefore TEXT NOT NULL,"
    " versionAfter TEXT NOT NULL, ok INTEGER NOT NULL, reason TEXT NOT NULL);"
    "CREATE INDEX IF NOT EXISTS records_by_serial ON records(serial, id);";

constexpr char kInsert[] =
    "INSERT INTO records (time, serial, pid, what, subject, versionBefore, versionAfter, ok,"
    " reason) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)";

constexpr char kSelect[] =
    "SELECT time, serial, pid, what, subject, versionBefore, versionAfter, ok, reason"
    " FROM records WHERE ?1 = '' OR serial = ?1 ORDER BY id DESC LIMIT ?2";

class Statement {
 public:
  Statement(sqlite3* db, const char* sql) : code_(sqlite3_prepare_v2(db, sql, -1, &s_, nullptr)) {}
  ~Statement() { sqlite3_finalize(s_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  bool prepared() const { return code_ == SQLITE_OK; }
  int code() const { return code_; }
  sqlite3_stmt* get() const { return s_; }
  void Text(int index, const std::string& text) {
    sqlite3_bind_text(s_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  }
  std::string ColumnText(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s_, column));
    return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(s_, column)))
                : std::string();
  }

 private:
  sqlite3_stmt* s_ = nullptr;
  int code_;
};

// Codes that say the file is not a sound database, as opposed to one that is busy,
// unreadable or on a full disk, which must never be moved aside.
bool MeansDamage(int code) {
  const int primary = code & 0xff;
  return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

// Renames the database with its -wal and -shm files under one new name, so the set stays
// readable together; returns the new name of the database, empty when it could not be moved.
std::string MoveAside(const std::string& path) {
  std::string aside = path + ".damaged-" + platform::LocalTimeText("%Y%m%d_%H%M%S");
  for (int n = 2; fs::exists(aside) && n < 1000; ++n)
    aside = path + ".damaged-" + platform::LocalTimeText("%Y%m%d_%H%M%S") + "-" + std::to_string(n);
  std::error_code ec;
  fs::rename(path, aside, ec);
  if (ec) {
    LOG_ERROR("The damaged update history {0} cannot be moved aside: {1}", path, ec.message());
    return {};
  }
  for (const char* part : {"-wal", "-shm"}) {
    if (!fs::exists(path + part, ec)) continue;
    fs::rename(path + part, aside + part, ec);
    // Left behind, it would be taken for the new database's journal: remove it instead.
    if (ec) fs::remove(path + part, ec);
  }
  return aside;
}

}  // namespace

UpdateHistory::UpdateHistory(std::string path) : configuredPath_(std::move(path)) {}

UpdateHistory::~UpdateHistory() { Close(); }

std::string UpdateHistory::path() const {
  if (!configuredPath_.empty()) return configuredPath_;
  const std::string& root = core::ZConfig::Instance().root;
  return root.empty() ? std::string() : platform::JoinPath(root, kFileName);
}

void UpdateHistory::Close() {
  if (db_) sqlite3_close_v2(db_);
  db_ = nullptr;
  openPath_.clear();
}

UpdateHistory::Opened UpdateHistory::OpenAndCheck(const std::string& path) {
  Close();
  const int opened =
      sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (opened != SQLITE_OK) {
    LOG_ERROR("The update history {0} cannot be opened: {1}", path,
              db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(opened));
    Close();
    return Opened::Failed;
  }
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
  sqlite3_extended_result_codes(db_, 1);

  std::string verdict;
  int code = SQLITE_OK;
  {
    Statement check(db_, "PRAGMA quick_check");
    code = check.code();
    if (check.prepared()) {
      code = sqlite3_step(check.get());
      if (code == SQLITE_ROW) verdict = check.ColumnText(0);
    }
  }
  if (MeansDamage(code) || (code == SQLITE_ROW && verdict != "ok")) {
    LOG_WARN("The update history {0} failed its check: {1}", path,
             code == SQLITE_ROW ? verdict : std::string(sqlite3_errmsg(db_)));
    return Opened::Damaged;  // still open: see EnsureOpen
  }
  if (code != SQLITE_ROW) {
    LOG_ERROR("The update history {0} cannot be checked: {1}", path, sqlite3_errmsg(db_));
    Close();
    return Opened::Failed;
  }
  // WAL lets the program, the command line and the tools read while one of them writes.
  if (sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr) != SQLITE_OK)
    LOG_WARN("The update history {0} stays in its journal mode: {1}", path, sqlite3_errmsg(db_));
  code = sqlite3_exec(db_, kSchema, nullptr, nullptr, nullptr);
  if (code != SQLITE_OK) {
    LOG_ERROR("The update history {0} cannot be prepared: {1}", path, sqlite3_errmsg(db_));
    if (MeansDamage(code)) return Opened::Damaged;
    Close();
    return Opened::Failed;
  }
  openPath_ = path;
  return Opened::Ready;
}

bool UpdateHistory::EnsureOpen() {
  const std::string file = path();
  if (file.empty()) return false;  // no root folder: nothing to keep a history in
  if (db_ && openPath_ == file) return true;
  Opened opened = OpenAndCheck(file);
  if (opened == Opened::Damaged) {
    // Moved while still open: closing the last connection deletes the -wal and -shm files
    // by name, and they belong with the damaged database.
    const std::string aside = MoveAside(file);
    Close();
    if (aside.empty()) return false;
    LOG_WARN("The damaged update history was moved to {0}; a new one was started.", aside);
    opened = OpenAndCheck(file);
  }
  return opened == Opened::Ready;
}

bool UpdateHistory::Open() {
  std::lock_guard<std::mutex> lock(mutex_);
  return EnsureOpen();
}

bool UpdateHistory::Add(const HistoryRecord& record) {
  std::lock_guard<std::mutex> lock(mutex_);
  // A database found damaged while writing is checked (and moved aside) once more.
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!EnsureOpen()) return false;
    Statement insert(db_, kInsert);
    int code = insert.code();
    if (insert.prepared()) {
      insert.Text(1, record.time.empty() ? LocalTimeNow() : record.time);
      insert.Text(2, record.serial);
      if (record.pid) sqlite3_bind_int64(insert.get(), 3, *record.pid);
      insert.Text(4, record.what);
      insert.Text(5, record.subject);
      insert.Text(6, record.versionBefore);
      insert.Text(7, record.versionAfter);
      sqlite3_bind_int(insert.get(), 8, record.ok ? 1 : 0);
      insert.Text(9, record.reason);
      code = sqlite3_step(insert.get());
      if (code == SQLITE_DONE) return true;
    }
    LOG_ERROR("The {0} record was not written to the update history: {1}", record.what,
              sqlite3_errmsg(db_));
    if (!MeansDamage(code)) return false;
    Close();
  }
  return false;
}

std::optional<std::vector<HistoryRecord>> UpdateHistory::List(const std::string& serial,
                                                              int limit) {
  std::lock_guard<std::mutex> lock(mutex_);
  // Asking is no reason to create the database.
  std::error_code ec;
  if (!db_ && (path().empty() || !fs::exists(path(), ec))) return std::vector<HistoryRecord>{};
  if (!EnsureOpen()) return std::nullopt;
  Statement select(db_, kSelect);
  if (!select.prepared()) {
    LOG_ERROR("The update history cannot be read: {0}", sqlite3_errmsg(db_));
    return std::nullopt;
  }
  select.Text(1, serial);
  sqlite3_bind_int(select.get(), 2, limit < 0 ? -1 : limit);
  std::vector<HistoryRecord> records;
  int code;
  while ((code = sqlite3_step(select.get())) == SQLITE_ROW) {
    HistoryRecord r;
    r.time = select.ColumnText(0);
    r.serial = select.ColumnText(1);
    if (sqlite3_column_type(select.get(), 2) != SQLITE_NULL)
      r.pid = static_cast<std::uint32_t>(sqlite3_column_int64(select.get(), 2));
    r.what = select.ColumnText(3);
    r.subject = select.ColumnText(4);
    r.versionBefore = select.ColumnText(5);
    r.versionAfter = select.ColumnText(6);
    r.ok = sqlite3_column_int(select.get(), 7) != 0;
    r.reason = select.ColumnText(8);
    records.push_back(std::move(r));
  }
  if (code != SQLITE_DONE) {
    LOG_ERROR("The update history cannot be read: {0}", sqlite3_errmsg(db_));
    if (MeansDamage(code)) Close();  // checked again, and moved aside, at the next use
    return std::nullopt;
  }
  return records;
}

UpdateHistory& ProgramHistory() {
  static UpdateHistory history;
  return history;
}

bool CopyHistory(const std::string& from, const std::string& to) {
  if (!platform::FileExists(from)) return false;
  std::error_code ec;
  fs::remove(to, ec);
  sqlite3* db = nullptr;
  bool copied = false;
  if (sqlite3_open_v2(from.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_busy_timeout(db, UpdateHistory::kBusyTimeoutMs);
    Statement vacuum(db, "VACUUM INTO ?1");
    if (vacuum.prepared()) {
      vacuum.Text(1, to);
      copied = sqlite3_step(vacuum.get()) == SQLITE_DONE;
    }
    if (!copied)
      LOG_WARN("The update history {0} is copied as it lies: {1}", from, sqlite3_errmsg(db));
  }
  sqlite3_close_v2(db);
  if (copied) return true;
  fs::remove(to, ec);
  for (const char* part : {"-wal", "-shm"})
    if (fs::exists(from + part, ec)) fs::copy_file(from + part, to + part, ec);
  return fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
}

}  // namespace history
