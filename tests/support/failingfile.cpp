#include "failingfile.h"

namespace {

class FailingFile final : public FileHandle {
 public:
  FailingFile(std::unique_ptr<FileHandle> real, FailurePlan& plan)
      : real_(std::move(real)), plan_(plan) {}

  bool Seek(std::int64_t position) override {
    position_ = position;
    return real_->Seek(position);
  }
  std::int64_t Read(void* buffer, std::int64_t count) override {
    if (++plan_.reads == plan_.failReadAt) return -1;
    return real_->Read(buffer, count);
  }
  std::int64_t Write(const void* buffer, std::int64_t count) override {
    if (++plan_.writes == plan_.failWriteAt) return -1;
    const std::int64_t done = real_->Write(buffer, count);
    if (done == count) plan_.writeOffsets << position_;
    position_ += count;
    return done;
  }
  bool Flush() override { return !plan_.failFlush && real_->Flush(); }
  LockOutcome Lock() override { return real_->Lock(); }
  bool Close() override {
    if (plan_.failClose) return false;
    ++plan_.closes;
    return real_->Close();
  }

 private:
  std::unique_ptr<FileHandle> real_;
  FailurePlan& plan_;
  std::int64_t position_ = 0;
};

}  // namespace

FileOpener FailingOpener(FailurePlan& plan) {
  return [&plan](const QString& path, FileAccess access) -> std::unique_ptr<FileHandle> {
    auto real = OpenExistingFile(path, access);
    if (!real) return nullptr;
    ++plan.opens;
    plan.accesses << access;
    return std::make_unique<FailingFile>(std::move(real), plan);
  };
}
