#include "serializer/buffered_file.h"

#include <algorithm>

namespace Tessel {

BufferedFile::BufferedFile(uint64_t bufferSize) : bufferSize_(bufferSize > 0 ? bufferSize : 1) {}

void BufferedFile::Open(const std::string& path, platform::FileMode mode) {
  writing_ = mode != platform::FileMode::Read;
  failed_ = !file_.Open(path, mode);
  failure_ = {};
  bufferStart_ = 0;
  size_ = failed_ || writing_ ? -1 : file_.Size();
  // A file read needs no more room than it holds: the inspector reads
  // thousands of small containers, and a whole buffer made for each one
  // cost more than reading it.
  room_ = bufferSize_;
  if (size_ >= 0 && static_cast<uint64_t>(size_) < room_) {
    room_ = std::max<uint64_t>(static_cast<uint64_t>(size_), 1);
  }
  if (room_ > capacity_) {
    buffer_.reset(new uint8_t[room_]);
    capacity_ = room_;
  }
  cursor_ = end_ = limit_ = buffer_.get();
  if (failed_) {
    failure_ = {FailureKind::NotOpened, 0, 0, {}};
    failure_.systemError = file_.Error();
    return;
  }
  if (writing_) {
    limit_ = buffer_.get() + room_;
  } else if (size_ < 0) {
    Fail(FailureKind::NotOpened);
  }
}

void BufferedFile::Fail(FailureKind kind, int64_t value, std::string_view what, int64_t needed) {
  if (!failed_) failure_ = {kind, Tell(), value, what, needed, file_.Error()};
  failed_ = true;
  // Empty windows make every later transfer take the slow path, which sees
  // the failed state and moves nothing.
  cursor_ = end_ = limit_ = buffer_.get();
}

void BufferedFile::ReadSlow(uint8_t* data, uint64_t size) {
  if (failed_ || writing_) {
    Fail(FailureKind::EndOfFile);
    return;
  }
  const int64_t start = Tell();
  const int64_t needed = EndOfItems(start, static_cast<int64_t>(size), 1);
  while (size > 0) {
    const auto buffered = static_cast<uint64_t>(end_ - cursor_);
    if (buffered > 0) {
      const uint64_t take = std::min(buffered, size);
      std::memcpy(data, cursor_, static_cast<size_t>(take));
      cursor_ += take;
      data += take;
      size -= take;
      continue;
    }
    bufferStart_ += end_ - buffer_.get();
    cursor_ = end_ = buffer_.get();
    const int64_t got = file_.Read(buffer_.get(), room_);
    if (got <= 0) {
      Fail(FailureKind::EndOfFile);
      failure_.offset = start;
      failure_.needed = needed;
      return;
    }
    end_ = buffer_.get() + got;
  }
}

void BufferedFile::WriteSlow(const uint8_t* data, uint64_t size) {
  if (failed_ || !writing_) {
    Fail(FailureKind::WriteFailed);
    return;
  }
  if (!Flush()) return;
  if (size >= room_) {
    if (!file_.Write(data, size)) {
      Fail(FailureKind::WriteFailed);
      return;
    }
    bufferStart_ += static_cast<int64_t>(size);
    return;
  }
  std::memcpy(cursor_, data, static_cast<size_t>(size));
  cursor_ += size;
}

bool BufferedFile::Flush() {
  if (failed_) return false;
  if (!writing_) return true;
  const auto pending = static_cast<uint64_t>(cursor_ - buffer_.get());
  if (pending > 0 && !file_.Write(buffer_.get(), pending)) {
    Fail(FailureKind::WriteFailed);
    return false;
  }
  bufferStart_ += static_cast<int64_t>(pending);
  cursor_ = buffer_.get();
  return true;
}

void BufferedFile::Seek(int64_t position) {
  if (failed_) return;
  if (position < 0 || !Flush()) {
    Fail(FailureKind::EndOfFile);
    return;
  }
  if (!writing_ && position >= bufferStart_ && position <= bufferStart_ + (end_ - buffer_.get())) {
    cursor_ = buffer_.get() + (position - bufferStart_);
    return;
  }
  if (!file_.Seek(position)) {
    Fail(FailureKind::EndOfFile);
    return;
  }
  bufferStart_ = position;
  cursor_ = end_ = buffer_.get();
}

void BufferedFile::Close(bool sync) {
  if (!file_.IsOpen()) {
    Fail(FailureKind::CloseFailed);
    return;
  }
  bool good = Flush();
  if (good && sync && writing_) good = file_.Sync();
  if (!file_.Close()) good = false;
  if (!good) Fail(FailureKind::CloseFailed);
}

}  // namespace Tessel
