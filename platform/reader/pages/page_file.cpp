#include "platform/reader/pages/page_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/errors.hpp"
#include "platform/files/native_path.hpp"
#include "platform/reader/protection/header_mask.hpp"
#include "platform/text/code_page.hpp"

namespace qz::jet {
namespace {

// Pages kept in memory: enough for the pages a listing revisits (a definition, its index and long-value
// pages) and no more, since a listing of thousands of tables reads each definition once, and every buffer
// beyond these is memory touched for the first time, which costs more than the read.
constexpr std::size_t cached_pages = 32;

[[noreturn]] void throw_open_failure(const std::u16string& path, const std::string& native, int error) {
    if (error == ENOENT || error == ENOTDIR) {
        const std::filesystem::path folder = std::filesystem::path(native).parent_path();
        std::error_code ignored;
        if (error == ENOTDIR || (!folder.empty() && !std::filesystem::is_directory(folder, ignored))) {
            throw errors::invalid_path(path);
        }
        throw errors::file_not_found(path);
    }
    throw errors::cannot_open_file(path, text::utf8_to_utf16(std::strerror(error)));
}

bool read_fully(int descriptor, std::uint8_t* into, std::size_t length, off_t at) {
    while (length > 0) {
        const ssize_t got = ::pread(descriptor, into, length, at);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        into += got;
        length -= static_cast<std::size_t>(got);
        at += got;
    }
    return true;
}

}  // namespace

PageFile::PageFile(const std::u16string& path, std::u16string_view password) : path_(path) {
    const std::string native = files::native_from_text(path);
    // No file name holds a NUL; opening the part before it would open another file.
    if (native.find('\0') != std::string::npos) throw errors::invalid_path(path_);
    // Non-blocking, so that a named pipe or a device never stalls the open; only regular files are read.
    descriptor_ = ::open(native.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor_ < 0) throw_open_failure(path_, native, errno);
    struct stat status {};
    if (::fstat(descriptor_, &status) != 0) {
        const int error = errno;
        ::close(descriptor_);
        throw_open_failure(path_, native, error);
    }
    if (!S_ISREG(status.st_mode)) {
        ::close(descriptor_);
        throw errors::cannot_open_file(path_, u"not a regular file");
    }
    identity_ = {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
    try {
        const auto file_size = static_cast<std::uint64_t>(status.st_size);
        std::vector<std::uint8_t> prefix(header_prefix_size);
        if (file_size < header_prefix_size || !read_fully(descriptor_, prefix.data(), header_prefix_size, 0)) {
            throw errors::unrecognized_format(path_);
        }
        format_ = read_file_format(prefix, path_);
        if (file_size < format_.page_size)
            throw errors::database_damaged(path_, "the header page is truncated");
        // Files grow a page at a time; a part of a page is what a cut copy ends in.
        if (file_size % format_.page_size != 0)
            throw errors::database_damaged(path_, "the file's size is not a whole number of pages");
        page_count_ = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(file_size / format_.page_size, std::uint64_t{0xFFFFFF} + 1));

        auto header = std::make_shared<std::vector<std::uint8_t>>(format_.page_size);
        if (!read_fully(descriptor_, header->data(), header->size(), 0)) {
            throw errors::database_damaged(path_, "the header page cannot be read");
        }
        ++pages_read_;
        crypto::remove_header_mask(*header, format_.jet3);
        const HeaderPage decoded = read_header_page(*header, path_);
        format_ = decoded.format;
        decoder_ = crypto::open_protection(decoded.protection, password, path_);
        header_ = std::move(header);
    } catch (...) {
        ::close(descriptor_);
        throw;
    }
}

PageFile::~PageFile() { ::close(descriptor_); }

PageBytes PageFile::page(std::uint32_t number) const {
    if (number == 0) return header_;
    const std::lock_guard lock(cache_mutex_);
    for (const CachedPage& cached : cache_) {
        if (cached.number == number) return cached.bytes;
    }
    if (number >= page_count_)
        throw errors::database_damaged(path_, "a page number lies past the end of the file");
    if (cache_.size() < cached_pages) {
        auto bytes = std::make_shared<std::vector<std::uint8_t>>(format_.page_size);
        read_page(number, *bytes);
        cache_.push_back({number, bytes});
        return bytes;
    }
    // The oldest page gives way. Its buffer is read into again when nobody else holds it: no allocation per
    // page read. Until the read succeeds the slot names no page (page 0 is never looked up here).
    CachedPage& oldest = cache_[oldest_];
    oldest_ = (oldest_ + 1) % cached_pages;
    oldest.number = 0;
    if (oldest.bytes.use_count() != 1)
        oldest.bytes = std::make_shared<std::vector<std::uint8_t>>(format_.page_size);
    read_page(number, *oldest.bytes);
    oldest.number = number;
    return oldest.bytes;
}

void PageFile::read_page(std::uint32_t number, std::vector<std::uint8_t>& into) const {
    const auto at = static_cast<off_t>(static_cast<std::uint64_t>(number) * format_.page_size);
    if (!read_fully(descriptor_, into.data(), into.size(), at)) {
        throw errors::database_damaged(path_, "a page cannot be read");
    }
    ++pages_read_;
    if (decoder_) decoder_->decode(number, into);
}

}  // namespace qz::jet
