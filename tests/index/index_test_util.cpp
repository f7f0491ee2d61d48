#include "index_test_util.h"

namespace tovr::test {

struct WriteLogAccess {
  static WriteLog* log;
  static int seek(void* s, long offset, int origin) {
    auto fn = reinterpret_cast<TOVRCB_FseekFn>(log->inner_seek_);
    const int r = fn(s, offset, origin);
    if (r == 0 && origin == 0) log->position_ = offset;
    return r;
  }
  static size_t write(const void* buf, size_t size, size_t count, void* s) {
    auto fn = reinterpret_cast<TOVRCB_FwriteFn>(log->inner_write_);
    const size_t r = fn(buf, size, count, s);
    if (r == count && size * count == 1024) log->offsets_.push_back(log->position_);
    log->position_ += static_cast<long>(size * r);
    return r;
  }
};

WriteLog* WriteLogAccess::log = nullptr;

WriteLog::WriteLog() {
  inner_seek_ = TOVR_cbGet(TOVRCB_Fseek);
  inner_write_ = TOVR_cbGet(TOVRCB_Fwrite);
  WriteLogAccess::log = this;
  TOVR_cbSet(TOVRCB_Fseek, reinterpret_cast<TOVR_Callback>(&WriteLogAccess::seek));
  TOVR_cbSet(TOVRCB_Fwrite, reinterpret_cast<TOVR_Callback>(&WriteLogAccess::write));
}

WriteLog::~WriteLog() {
  TOVR_cbSet(TOVRCB_Fseek, inner_seek_);
  TOVR_cbSet(TOVRCB_Fwrite, inner_write_);
  WriteLogAccess::log = nullptr;
}

std::vector<long> WriteLog::pages() const {
  std::vector<long> pages;
  for (long o : offsets_) pages.push_back(o / 1024 - 1);
  return pages;
}

}  // namespace tovr::test
