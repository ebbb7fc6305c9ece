// A FILE* that writes into memory, so a test can read what code printed,
// and, by handing the same stream in as both output and error stream, the
// order in which the two were written.
#ifndef REPOINT_TESTS_SUPPORT_MEMORY_STREAM_H_
#define REPOINT_TESTS_SUPPORT_MEMORY_STREAM_H_

#include <cstdio>
#include <cstdlib>
#include <string>

namespace repoint::testing {

class MemoryStream {
 public:
  MemoryStream() : file_(open_memstream(&buffer_, &size_)) {}
  ~MemoryStream() {
    std::fclose(file_);
    std::free(buffer_);
  }
  MemoryStream(const MemoryStream&) = delete;
  MemoryStream& operator=(const MemoryStream&) = delete;

  std::FILE* file() const { return file_; }

  // Everything written so far.
  std::string Text() {
    std::fflush(file_);
    return std::string(buffer_, size_);
  }

 private:
  char* buffer_ = nullptr;
  std::size_t size_ = 0;
  std::FILE* file_;
};

}  // namespace repoint::testing

#endif  // REPOINT_TESTS_SUPPORT_MEMORY_STREAM_H_
