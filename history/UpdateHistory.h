#pragma once
// The update history in an SQLite database. The program, the command line and the tools may
// write it at the same time: the database runs in WAL mode and waits up to five seconds for
// another writer. It is checked when first opened; a damaged one is moved aside with its
// -wal and -shm files and a new one started, so the history never stops a procedure or the
// program's start. Every failure is a return value after a log line.
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "history/HistoryRecord.h"

struct sqlite3;

namespace history {

class UpdateHistory {
 public:
  static constexpr char kFileName[] = "History.db";
  static constexpr int kBusyTimeoutMs = 5000;

  // `path` empty: History.db in the configured root folder, followed when the root changes;
  // before a configuration is loaded (tests of single procedures) nothing is written.
  explicit UpdateHistory(std::string path = {});
  ~UpdateHistory();
  UpdateHistory(const UpdateHistory&) = delete;
  UpdateHistory& operator=(const UpdateHistory&) = delete;

  // Opens and checks the database now, creating it when missing: a program that checks at
  // its start has a damaged one set aside before any procedure needs it.
  bool Open();
  // Writes one record in a transaction of its own.
  bool Add(const HistoryRecord& record);
  // Newest first; only the records of `serial` unless it is empty; at most `limit` (< 0: all).
  // None when the database cannot be read; empty when there is none yet.
  std::optional<std::vector<HistoryRecord>> List(const std::string& serial = {}, int limit = -1);
  std::string path() const;

 private:
  enum class Opened { Ready, Damaged, Failed };
  bool EnsureOpen();
  // Damaged leaves the connection open, so the files can be moved before it closes.
  Opened OpenAndCheck(const std::string& path);
  void Close();

  const std::string configuredPath_;
  std::mutex mutex_;
  sqlite3* db_ = nullptr;
  std::string openPath_;
};

// The program's history: History.db in the configured root folder.
UpdateHistory& ProgramHistory();

// Writes a consistent copy of the database at `from` (also while others write it) to `to`,
// without checking or changing `from`; a database SQLite cannot read is copied as it lies,
// with its -wal and -shm files. False when nothing could be copied.
bool CopyHistory(const std::string& from, const std::string& to);

}  // namespace history
