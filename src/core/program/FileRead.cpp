#include "program/FileRead.h"

#include <cerrno>
#include <cstdint>
#include <fstream>
#include <system_error>

namespace rir {

namespace {

namespace fs = std::filesystem;

// Read in pieces, so that a file whose size the system does not know (or that grows while it is
// read) is still stopped at the cap.
constexpr std::size_t READ_CHUNK = std::size_t{1} << 20;
constexpr std::size_t MEGABYTE = std::size_t{1} << 20;

FileError FromErrorCode(const std::error_code& ec) {
    return ec.category() == std::generic_category() || ec.category() == std::system_category()
               ? FileErrorFromErrno(ec.value())
               : FileError::Generic;
}

// After a failed open or read the stream says nothing about why; the C library has left the
// reason in errno. Without one the error is the generic one.
FileError FromErrnoOr(FileError fallback) {
    const int e = errno;
    return e != 0 ? FileErrorFromErrno(e) : fallback;
}

} // namespace

FileError FileErrorFromErrno(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return FileError::NotFound;
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL:
        return FileError::BadPath;
    case EMFILE:
    case ENFILE:
        return FileError::TooManyOpen;
    case EACCES:
    case EPERM:
    case EROFS:
        return FileError::AccessDenied;
    case EBUSY:
    case ETXTBSY:
        return FileError::Sharing;
    case EIO:
        return FileError::HardIo;
    case EISDIR:
        return FileError::IsDirectory;
    case EFBIG:
    case EOVERFLOW:
        return FileError::TooLarge;
    default:
        return FileError::Generic;
    }
}

FileBytes ReadWholeFile(const fs::path& path, std::size_t sizeLimit) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found)
        return {FileError::NotFound, {}};
    if (ec)
        return {FromErrorCode(ec), {}};
    if (status.type() == fs::file_type::directory)
        return {FileError::IsDirectory, {}};
    // Opening a pipe waits for a writer, and a device may never end: neither is a program file.
    if (status.type() != fs::file_type::regular)
        return {FileError::NotAFile, {}};
    const std::uintmax_t size = fs::file_size(path, ec);
    if (!ec && size > sizeLimit)
        return {FileError::TooLarge, {}};

    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {FromErrnoOr(FileError::Generic), {}};
    FileBytes result;
    if (!ec)
        result.bytes.reserve(static_cast<std::size_t>(size));
    std::string chunk(READ_CHUNK, '\0');
    while (in) {
        errno = 0;
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const std::streamsize got = in.gcount();
        if (in.bad())
            return {FromErrnoOr(FileError::HardIo), {}};
        if (got > 0) {
            if (result.bytes.size() + static_cast<std::size_t>(got) > sizeLimit)
                return {FileError::TooLarge, {}};
            result.bytes.append(chunk.data(), static_cast<std::size_t>(got));
        }
    }
    if (!in.eof())
        return {FromErrnoOr(FileError::HardIo), {}};
    return result;
}

std::string FileErrorText(FileError error, std::string_view fileName, std::size_t sizeLimit) {
    std::string_view pattern;
    switch (error) {
    case FileError::None:
        return {};
    case FileError::NotFound:
        pattern = "%1 не найден.";
        break;
    case FileError::BadPath:
        pattern = "%1 содержит недопустимый путь.";
        break;
    case FileError::TooManyOpen:
        pattern = "Не удалось открыть %1: открыто слишком много файлов.";
        break;
    case FileError::AccessDenied:
        pattern = "Доступ к %1 запрещен.";
        break;
    case FileError::Sharing:
        pattern = "При обращении к %1 произошло нарушение совместного доступа.";
        break;
    case FileError::HardIo:
        pattern = "При обращении к %1 произошла аппаратная ошибка ввода-вывода.";
        break;
    case FileError::Generic:
        pattern = "При обращении к %1 произошла неизвестная ошибка.";
        break;
    case FileError::IsDirectory:
        pattern = "%1 является папкой, а не файлом.";
        break;
    case FileError::NotAFile:
        pattern = "%1 не является обычным файлом.";
        break;
    case FileError::TooLarge:
        pattern = "%1 слишком велик: файл больше %2 МБ.";
        break;
    }
    std::string text;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && (pattern[i + 1] == '1' || pattern[i + 1] == '2')) {
            if (pattern[i + 1] == '1')
                text += fileName;
            else
                text += std::to_string(sizeLimit / MEGABYTE);
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

std::string FileDisplayName(const fs::path& path) {
    const std::u8string name = path.filename().u8string();
    return {name.begin(), name.end()};
}

} // namespace rir
