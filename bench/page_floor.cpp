// The floor of a listing: only the reads it makes and a result file of the same size, nothing else. Reads the
// (size, offset) pairs bench/floor took from the program's own pread calls, so the comparison holds the same
// pages. Usage: page_floor DATABASE READS [RESULT BYTES]
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3 && argc != 5) return 2;
    // stdio, not iostreams: their start-up cost would be counted as the floor's.
    std::FILE* list = std::fopen(argv[2], "r");
    if (list == nullptr) return 1;
    std::vector<std::pair<std::size_t, long>> reads;
    std::size_t read_size = 0;
    long read_offset = 0;
    while (std::fscanf(list, "%zu %ld", &read_size, &read_offset) == 2) reads.emplace_back(read_size, read_offset);
    std::fclose(list);
    const int database = ::open(argv[1], O_RDONLY);
    if (database < 0) return 1;
    std::vector<char> page(4096);
    for (const auto& [size, offset] : reads) {
        if (size > page.size()) page.resize(size);
        if (::pread(database, page.data(), size, offset) != static_cast<ssize_t>(size)) return 1;
    }
    if (argc == 5) {
        const std::vector<char> result(std::strtoul(argv[4], nullptr, 10));
        const int out = ::open(argv[3], O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || ::write(out, result.data(), result.size()) != static_cast<ssize_t>(result.size())) return 1;
        ::close(out);
    }
    return 0;
}
