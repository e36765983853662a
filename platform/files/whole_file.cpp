#include "platform/files/whole_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/error.hpp"

namespace qz::files {
namespace {

// The runtime's file errors, chosen by the system's reason.
Error file_error(int reason) {
    switch (reason) {
        case EACCES:
        case EPERM:
        case EROFS:
        case ETXTBSY:
            return Error(error_number::permission_denied, u"Permission denied");
        case ENOENT:
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return Error(error_number::path_not_found, u"Path not found");
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return Error(error_number::disk_full, u"Disk full");
        default:
            return Error(error_number::path_file_access_error, u"Path/File access error");
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

}  // namespace

void write_whole_file(const std::filesystem::path& path, std::string_view bytes) {
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (descriptor < 0) throw file_error(errno);
    int reason = write_all(descriptor, bytes);
    // A full disk may show only when the data reaches it; files that cannot be synced (devices) say EINVAL.
    if (reason == 0 && ::fsync(descriptor) != 0 && errno != EINVAL && errno != EROFS) reason = errno;
    // What did get written is cut away, so a failed write never leaves a file that looks complete. A file
    // that cannot be cut (a device) has nothing to keep.
    if (reason != 0) {
        [[maybe_unused]] const int cut = ::ftruncate(descriptor, 0);
    }
    if (::close(descriptor) != 0 && reason == 0) {
        reason = errno;
        [[maybe_unused]] const int cut = ::truncate(path.c_str(), 0);
    }
    if (reason != 0) throw file_error(reason);
}

}  // namespace qz::files
