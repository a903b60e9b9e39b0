// A whole file read into memory for the station's loaders, and the texts that tell the operator
// why a file could not be opened or read.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace rir {

// Why a file could not be read. The first group follows the platform's own file errors; the
// last three are the station's: a folder, a device or pipe, and a file beyond the cap.
enum class FileError {
    None,
    NotFound,     // no such file (also: it vanished between the choice and the read)
    BadPath,      // the path cannot name a file (too long, a loop of links)
    TooManyOpen,  // the process or the system has no file handle left
    AccessDenied, // no right to read it
    Sharing,      // another program holds it busy
    HardIo,       // the disk or the share failed while reading
    Generic,      // anything else the system reports
    IsDirectory,  // a folder chosen as a file
    NotAFile,     // a device, a pipe or a socket: reading it may never end
    TooLarge,     // more bytes than the loader takes
};

// A day of one-second steps is under 2 MB; a program file beyond 64 MB is not a program, and
// reading it whole would only tie up the station's memory.
inline constexpr std::size_t PROGRAM_FILE_SIZE_LIMIT = std::size_t{64} * 1024 * 1024;

struct FileBytes {
    FileError error = FileError::None;
    std::string bytes; // the whole file when error is None, else empty
};

// Reads the whole file at path, at most sizeLimit bytes: a file that is (or grows) larger is
// refused, never read on without end. Only regular files are read.
FileBytes ReadWholeFile(const std::filesystem::path& path, std::size_t sizeLimit = PROGRAM_FILE_SIZE_LIMIT);

// The error of a failed open or read, from the system's error number.
FileError FileErrorFromErrno(int error);

// The message for a file that could not be read, with the file's name put in for "%1" (the name
// as the operator sees it, without the folder). A TooLarge message names sizeLimit in megabytes.
std::string FileErrorText(FileError error, std::string_view fileName,
                          std::size_t sizeLimit = PROGRAM_FILE_SIZE_LIMIT);

// The name of the file at path without its folders, in UTF-8, as messages and captions show it.
std::string FileDisplayName(const std::filesystem::path& path);

} // namespace rir
