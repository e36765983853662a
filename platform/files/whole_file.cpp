#include "platform/files/whole_file.hpp"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/error.hpp"
#include "platform/errors.hpp"

namespace qz::files {
namespace {

constexpr int max_link_hops = 40;  // the system's own limit on links followed in one path
constexpr int max_name_attempts = 100;
// Parts are gathered up to this size before the first write: a small file never starts a draft early.
constexpr std::size_t gathered_bytes = 64 * 1024;

// The runtime's file errors, chosen by the system's reason. ENXIO (a FIFO without a reader) and the rest
// are access errors.
Error file_error(int reason) {
    switch (reason) {
        case EACCES:
        case EPERM:
        case EROFS:
        case ETXTBSY:
            return errors::permission_denied();
        case ENOENT:
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return errors::path_not_found();
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return errors::disk_full();
        default:
            return errors::path_file_access_error();
    }
}

// Writes all of `bytes`; the system's reason on failure, 0 on success.
int write_all(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (written == 0) return EIO;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

// Writes `bytes` to `descriptor` unless an earlier step already failed with `reason`, then closes it; the
// first failure's reason, 0 when every step succeeded.
int write_and_close(int descriptor, int reason, std::string_view bytes) {
    if (reason == 0) reason = write_all(descriptor, bytes);
    if (::close(descriptor) != 0 && reason == 0) reason = errno;
    return reason;
}

// The path with symbolic links at its end followed: the file a write through it reaches. A link whose
// target does not exist yet gives the target's path, where the file will be created.
std::filesystem::path follow_links(std::filesystem::path path) {
    for (int hop = 0; hop < max_link_hops; ++hop) {
        std::error_code not_a_link;
        const std::filesystem::path target = std::filesystem::read_symlink(path, not_a_link);
        if (not_a_link) return path;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    throw file_error(ELOOP);
}

// The file a write through a path reaches, with its status when it exists.
struct Target {
    std::filesystem::path path;
    std::optional<struct stat> status;
    // Only a regular file, or one not there yet, is replaced by a draft; anything else (a device, a FIFO) is
    // written to directly.
    bool replaceable() const { return !status || S_ISREG(status->st_mode); }
};
Target target_of(const std::filesystem::path& path) {
    Target target{follow_links(path), std::nullopt};
    struct stat status {};
    if (::stat(target.path.c_str(), &status) == 0) target.status = status;
    return target;
}

// A device or a FIFO: opened without waiting, so a FIFO nobody reads fails at once (ENXIO), then written
// with ordinary blocking writes.
void write_directly(const std::filesystem::path& path, std::string_view bytes) {
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0) throw file_error(errno);
    const int flags = ::fcntl(descriptor, F_GETFL);
    const int blocking = flags < 0 || ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0 ? errno : 0;
    if (const int reason = write_and_close(descriptor, blocking, bytes); reason != 0)
        throw file_error(reason);
}

// A name no other writer picks: a random suffix, so concurrent requests on one result never share it.
std::string fresh_name() {
    std::array<std::uint8_t, 8> random{};
    if (::getrandom(random.data(), random.size(), 0) != static_cast<ssize_t>(random.size())) {
        throw file_error(errno);
    }
    static constexpr char digits[] = "0123456789abcdef";
    std::string name = ".qz_odbc_access-";
    for (const std::uint8_t byte : random) {
        name.push_back(digits[byte >> 4]);
        name.push_back(digits[byte & 0x0F]);
    }
    return name;
}

// An existing result in a folder the user may not create files in: it can only be written in place, as it
// always was before results were replaced whole, rather than fail a request that used to succeed.
void write_in_place(const std::filesystem::path& path, std::string_view bytes) {
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0) throw file_error(errno);
    if (const int reason = write_and_close(descriptor, 0, bytes); reason != 0) throw file_error(reason);
}

// Creates a draft beside `path` under a fresh name: its descriptor and path, or the system's reason for
// failing.
struct Draft {
    int descriptor = -1;
    std::filesystem::path path;
    int reason = 0;
};
Draft open_draft(const std::filesystem::path& path) {
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    Draft draft;
    for (int attempt = 0; attempt < max_name_attempts; ++attempt) {
        draft.path = folder / fresh_name();
        // Mode 0666 less the umask: the permissions a plain create of the result would give.
        draft.descriptor =
            ::open(draft.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (draft.descriptor >= 0) return draft;
        if (errno != EEXIST) break;
    }
    draft.reason = errno;
    return draft;
}

// Closes the draft, on success renames it over `path`; on failure removes it and raises the file error.
// `reason` is an earlier step's failure, 0 when there was none.
void end_draft(const Draft& draft, const std::filesystem::path& path, int reason) {
    if (::close(draft.descriptor) != 0 && reason == 0) reason = errno;
    if (reason == 0 && ::rename(draft.path.c_str(), path.c_str()) != 0) reason = errno;
    if (reason != 0) {
        ::unlink(draft.path.c_str());
        throw file_error(reason);
    }
}

// A result that is replaced keeps the permissions it had, as one overwritten in place would: the system's
// reason on failure, 0 on success.
int keep_mode(int descriptor, const struct stat* existing) {
    return existing != nullptr && ::fchmod(descriptor, existing->st_mode & 0777) != 0 ? errno : 0;
}

// `existing` is the result's status when it exists, null when it does not.
void replace_whole(const std::filesystem::path& path, std::string_view bytes, const struct stat* existing) {
    const Draft draft = open_draft(path);
    if (draft.descriptor < 0) {
        if (existing != nullptr && (draft.reason == EACCES || draft.reason == EPERM))
            return write_in_place(path, bytes);
        throw file_error(draft.reason);
    }
    int reason = keep_mode(draft.descriptor, existing);
    if (reason == 0) reason = write_all(draft.descriptor, bytes);
    end_draft(draft, path, reason);
}

}  // namespace

void write_whole_file(const std::filesystem::path& path, std::string_view bytes) {
    const Target target = target_of(path);
    if (target.replaceable()) {
        replace_whole(target.path, bytes, target.status ? &*target.status : nullptr);
    } else {
        write_directly(target.path, bytes);
    }
}

WholeFileWriter::~WholeFileWriter() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        ::unlink(draft_.c_str());
    }
}

void WholeFileWriter::write(std::string_view bytes) {
    if (failure_ != 0) return;
    if (descriptor_ < 0 && !kept_in_memory_ && pending_.size() + bytes.size() >= gathered_bytes)
        start_draft();
    if (descriptor_ < 0) {
        pending_.append(bytes);
        return;
    }
    // Once the draft is open, what was gathered goes first, then each part as it comes, without a copy.
    if (!pending_.empty()) {
        failure_ = write_all(descriptor_, pending_);
        pending_ = std::string();  // not needed again: its memory goes back
    }
    if (failure_ == 0) failure_ = write_all(descriptor_, bytes);
}

void WholeFileWriter::start_draft() {
    // Whatever stands in the way is met again, and raised, by write_whole_file at the end.
    kept_in_memory_ = true;
    Target target;
    try {
        target = target_of(path_);
    } catch (const Error&) {
        return;
    }
    if (!target.replaceable()) return;
    const Draft draft = open_draft(target.path);
    if (draft.descriptor < 0) return;
    kept_in_memory_ = false;
    descriptor_ = draft.descriptor;
    draft_ = draft.path;
    target_ = target.path;
    replaced_ = target.status;
}

void WholeFileWriter::finish() {
    if (descriptor_ < 0) return write_whole_file(path_, pending_);
    int reason = failure_;
    if (reason == 0) reason = write_all(descriptor_, pending_);
    if (reason == 0) reason = keep_mode(descriptor_, replaced_ ? &*replaced_ : nullptr);
    const Draft draft{descriptor_, draft_, 0};
    descriptor_ = -1;
    end_draft(draft, target_, reason);
}

}  // namespace qz::files
