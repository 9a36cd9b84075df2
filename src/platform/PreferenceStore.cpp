#include "platform/PreferenceStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace vexa {
namespace {

// Closes a descriptor (and so drops its lock) on every path out.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

 private:
  int fd_;
};

std::optional<std::string> ReadAll(int fd) {
  std::string text;
  char buffer[8192];
  while (true) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) return text;
    text.append(buffer, static_cast<std::size_t>(n));
    if (text.size() > PreferenceStore::kMaxFileSize) return std::nullopt;
  }
}

bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::optional<RegDocument> Load(const std::string& path) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) return std::nullopt;
  const auto text = ReadAll(fd.get());
  if (!text) return std::nullopt;
  return RegDocument::Parse(*text);
}

// The file a write goes to: the target of a link (dotfile managers link these files).
std::string WriteTarget(const std::string& path) {
  std::error_code error;
  const auto target = std::filesystem::canonical(path, error);
  return error ? path : target.string();
}

// Opens and locks the file itself. A writer that renamed a new copy over the path while we
// waited leaves us holding the old one; then open the new one and lock again. Every retry
// means another writer finished, so this ends.
int OpenLocked(const std::string& path) {
  while (true) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return -1;
    int locked;
    do {
      locked = ::flock(fd, LOCK_EX);
    } while (locked != 0 && errno == EINTR);
    struct stat held {};
    struct stat current {};
    if (locked != 0 || ::fstat(fd, &held) != 0) {
      ::close(fd);
      return -1;
    }
    const bool present = ::stat(path.c_str(), &current) == 0;
    if (present && held.st_dev == current.st_dev && held.st_ino == current.st_ino) return fd;
    const bool replacedOrRemoved = present || errno == ENOENT;
    ::close(fd);
    if (!replacedOrRemoved) return -1;
  }
}

bool ReplaceFile(const std::string& path, int lockedFd, std::string_view text) {
  std::string temp = path + ".XXXXXX";
  FileDescriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (!fd.valid()) return false;
  struct stat old {};
  const bool written = ::fstat(lockedFd, &old) == 0 && ::fchmod(fd.get(), old.st_mode & 07777) == 0 &&
                       WriteAll(fd.get(), text) && ::fsync(fd.get()) == 0;
  if (!written || ::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

std::optional<PreferenceValue> OfType(std::optional<PreferenceValue> value,
                                      PreferenceValue::Type type) {
  if (!value || value->type != type) return std::nullopt;
  return value;
}

}  // namespace

std::string PreferenceStore::DefaultPath() {
  std::string base;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') {
    base = config;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || home[0] == '\0') {
      const passwd* entry = ::getpwuid(::getuid());
      home = entry ? entry->pw_dir : "/tmp";
    }
    base = std::string(home) + "/.config";
  }
  return base + "/marlen/Vexa.reg";
}

std::optional<PreferenceValue> PreferenceStore::Read(std::string_view key,
                                                     std::string_view name) const {
  const auto document = Load(path_);
  if (!document) return std::nullopt;
  return document->Find(key, name);
}

std::optional<std::string> PreferenceStore::ReadText(std::string_view key,
                                                     std::string_view name) const {
  auto value = OfType(Read(key, name), PreferenceValue::Type::kText);
  if (!value) return std::nullopt;
  return std::move(value->bytes);
}

std::optional<std::uint32_t> PreferenceStore::ReadDword(std::string_view key,
                                                        std::string_view name) const {
  const auto value = OfType(Read(key, name), PreferenceValue::Type::kDword);
  if (!value) return std::nullopt;
  return value->dword;
}

std::optional<std::string> PreferenceStore::ReadBinary(std::string_view key,
                                                       std::string_view name) const {
  auto value = OfType(Read(key, name), PreferenceValue::Type::kBinary);
  if (!value) return std::nullopt;
  return std::move(value->bytes);
}

bool PreferenceStore::Write(std::string_view key, std::span<const NamedValue> values) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), error);
  const std::string target = WriteTarget(path_);
  FileDescriptor fd(OpenLocked(target));
  if (!fd.valid()) return false;
  const auto text = ReadAll(fd.get());
  if (!text) return false;
  RegDocument document = RegDocument::Parse(*text);
  for (const NamedValue& value : values) document.Set(key, value.name, value.value);
  return ReplaceFile(target, fd.get(), document.Text());
}

bool PreferenceStore::Write(std::string_view key, std::string_view name,
                            const PreferenceValue& value) {
  const NamedValue one{name, value};
  return Write(key, std::span<const NamedValue>(&one, 1));
}

}  // namespace vexa
