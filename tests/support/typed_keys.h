// A console keyboard for tests: the codes typed ahead, handed out one per
// read, in order.
#ifndef REPOINT_TESTS_SUPPORT_TYPED_KEYS_H_
#define REPOINT_TESTS_SUPPORT_TYPED_KEYS_H_

#include <cstddef>
#include <deque>
#include <utility>

#include "platform/console.h"

namespace repoint::testing {

class TypedKeys final : public ConsoleKeyboard {
 public:
  explicit TypedKeys(std::deque<int> codes = {}) : codes_(std::move(codes)) {}
  bool KeyWaiting() override { return !codes_.empty(); }
  int ReadCode() override {
    const int code = codes_.front();
    codes_.pop_front();
    return code;
  }
  std::size_t CodesLeft() const { return codes_.size(); }

 private:
  std::deque<int> codes_;
};

}  // namespace repoint::testing

#endif  // REPOINT_TESTS_SUPPORT_TYPED_KEYS_H_
