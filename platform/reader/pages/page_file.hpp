#pragma once
// File and page access: opens a database file read-only, reads its header page and hands out the plain bytes
// of any page on demand (decoded when the file is protected). Nothing above this layer sees the file.

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/file_identity.hpp"
#include "platform/reader/pages/header_page.hpp"
#include "platform/reader/protection/page_decoder.hpp"

namespace qz::jet {

// The bytes of one page; shared so that a caller may keep a page while others are read.
using PageBytes = std::shared_ptr<const std::vector<std::uint8_t>>;

class PageFile {
  public:
    // Opens `path` for reading. Raises 3024 (no such file), 3044 (no such folder), 3051 (not a readable
    // regular file), 3343 (not an Access database), 3049 (truncated header, or a size that is not a whole
    // number of pages) and whatever the protection check raises.
    PageFile(const std::u16string& path, std::u16string_view password);
    ~PageFile();
    PageFile(const PageFile&) = delete;
    PageFile& operator=(const PageFile&) = delete;

    const std::u16string& path() const { return path_; }
    // The file opened, by device and inode.
    const files::FileIdentity& identity() const { return identity_; }
    const FileFormat& format() const { return format_; }
    std::uint32_t page_count() const { return page_count_; }
    // The plain bytes of page `number`; 3049 when the file has no such page. Page 0 comes unmasked.
    PageBytes page(std::uint32_t number) const;
    // Pages read from the file so far (cache hits not counted).
    std::uint64_t pages_read() const {
        const std::lock_guard lock(cache_mutex_);
        return pages_read_;
    }

  private:
    void read_page(std::uint32_t number, std::vector<std::uint8_t>& into) const;

    std::u16string path_;
    int descriptor_ = -1;
    files::FileIdentity identity_;
    FileFormat format_;
    std::uint32_t page_count_ = 0;
    std::unique_ptr<crypto::PageDecoder> decoder_;
    PageBytes header_;
    // A small bounded cache, the oldest page out first: catalog pages are visited several times by one
    // listing. Sessions on several threads may share the file, so the cache and the count are used under
    // this lock.
    struct CachedPage {
        std::uint32_t number = 0;
        std::shared_ptr<std::vector<std::uint8_t>> bytes;
    };
    mutable std::mutex cache_mutex_;
    mutable std::vector<CachedPage> cache_;
    mutable std::size_t oldest_ = 0;  // the slot given up next once the cache is full
    mutable std::uint64_t pages_read_ = 0;
};

}  // namespace qz::jet
