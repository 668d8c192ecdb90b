#pragma once

#include "cli/ConsoleText.h"

#include <string>
#include <string_view>

// The records a command prints: text and paths, each record ended by the terminator ('\n',
// or NUL for --print0). Paths go out as the stream shows them. Output is buffered in large
// blocks, or flushed record by record for a person watching a terminal, or when
// `flushEachRecord` asks for it (a log that must hold every record written so far).
class RecordWriter {
  public:
    RecordWriter(ConsoleStream out, char terminator, bool flushEachRecord = false)
        : out_(out), terminator_(terminator), flushEachRecord_(flushEachRecord) {}
    ~RecordWriter() { Flush(); }
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    void Add(std::string_view text) { buffer_ += text; }
    void AddPath(std::string_view path) { buffer_ += out_.Shown(path); }
    void EndRecord();

    // Writes what is buffered; false once any write has failed.
    bool Flush();
    bool Failed() const { return failed_; }

  private:
    static constexpr std::size_t BlockSize = 64 * 1024;

    ConsoleStream out_;
    char terminator_;
    bool flushEachRecord_;
    std::string buffer_;
    bool failed_ = false;
};
