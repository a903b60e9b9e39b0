// Reading a program file from disk: whole, capped, and refused with the right text when it
// cannot be read.
#include "program/FileRead.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace rir {
namespace {

namespace fs = std::filesystem;

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

TEST(FileReadTest, ReadsEveryByte) {
    test::TempDir dir;
    std::string bytes = "0;1,5;12;1\r\n\n\r";
    bytes.push_back('\0');
    bytes += "\xC0\xFF\x98";
    Write(dir / "prog.csv", bytes);
    const FileBytes read = ReadWholeFile(dir / "prog.csv");
    EXPECT_EQ(read.error, FileError::None);
    EXPECT_EQ(read.bytes, bytes);

    Write(dir / "empty.csv", "");
    const FileBytes empty = ReadWholeFile(dir / "empty.csv");
    EXPECT_EQ(empty.error, FileError::None);
    EXPECT_EQ(empty.bytes, "");
}

TEST(FileReadTest, SizeCap) {
    test::TempDir dir;
    Write(dir / "ten.csv", std::string(10, 'x'));
    EXPECT_EQ(ReadWholeFile(dir / "ten.csv", 10).bytes, std::string(10, 'x'));
    const FileBytes over = ReadWholeFile(dir / "ten.csv", 9);
    EXPECT_EQ(over.error, FileError::TooLarge);
    EXPECT_TRUE(over.bytes.empty());

    // A file larger than the cap is refused without being read: its size is the system's word.
    std::ofstream(dir / "big.csv", std::ios::binary).close();
    fs::resize_file(dir / "big.csv", PROGRAM_FILE_SIZE_LIMIT + 1);
    EXPECT_EQ(ReadWholeFile(dir / "big.csv").error, FileError::TooLarge);
}

TEST(FileReadTest, FilesThatCannotBeRead) {
    test::TempDir dir;
    EXPECT_EQ(ReadWholeFile(dir / "missing.csv").error, FileError::NotFound);
    EXPECT_EQ(ReadWholeFile(dir / "no-folder" / "prog.csv").error, FileError::NotFound);
    EXPECT_EQ(ReadWholeFile(dir.path()).error, FileError::IsDirectory);
    // Devices and pipes are not read at all: a pipe would hold the open until a writer comes.
    EXPECT_EQ(ReadWholeFile("/dev/zero").error, FileError::NotAFile);
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(ReadWholeFile(dir / "pipe").error, FileError::NotAFile);
    // A file under a path that names a file as a folder.
    Write(dir / "plain", "x");
    EXPECT_EQ(ReadWholeFile(dir / "plain" / "prog.csv").error, FileError::NotFound);
}

TEST(FileReadTest, NoRightToRead) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    test::TempDir dir;
    Write(dir / "locked.csv", "0;1;12;1\r\n");
    fs::permissions(dir / "locked.csv", fs::perms::none);
    EXPECT_EQ(ReadWholeFile(dir / "locked.csv").error, FileError::AccessDenied);
}

TEST(FileReadTest, ReadFailure) {
    // The process's own memory reads as a regular file of size 0 whose first page fails with EIO.
    if (!fs::exists("/proc/self/mem"))
        GTEST_SKIP() << "no /proc";
    const FileBytes read = ReadWholeFile("/proc/self/mem");
    EXPECT_EQ(read.error, FileError::HardIo);
    EXPECT_TRUE(read.bytes.empty());
}

TEST(FileReadTest, ErrorsFromTheSystem) {
    const std::pair<int, FileError> cases[] = {
        {ENOENT, FileError::NotFound},      {ENOTDIR, FileError::NotFound},
        {ENAMETOOLONG, FileError::BadPath}, {ELOOP, FileError::BadPath},
        {EMFILE, FileError::TooManyOpen},   {ENFILE, FileError::TooManyOpen},
        {EACCES, FileError::AccessDenied},  {EPERM, FileError::AccessDenied},
        {EBUSY, FileError::Sharing},        {EIO, FileError::HardIo},
        {EISDIR, FileError::IsDirectory},   {EFBIG, FileError::TooLarge},
        {ENOMEM, FileError::Generic},       {0, FileError::Generic},
    };
    for (const auto& [error, kind] : cases)
        EXPECT_EQ(FileErrorFromErrno(error), kind) << error;
}

TEST(FileReadTest, ErrorTexts) {
    const std::pair<FileError, const char*> cases[] = {
        {FileError::None, ""},
        {FileError::NotFound, "prog.csv не найден."},
        {FileError::BadPath, "prog.csv содержит недопустимый путь."},
        {FileError::TooManyOpen, "Не удалось открыть prog.csv: открыто слишком много файлов."},
        {FileError::AccessDenied, "Доступ к prog.csv запрещен."},
        {FileError::Sharing, "При обращении к prog.csv произошло нарушение совместного доступа."},
        {FileError::HardIo, "При обращении к prog.csv произошла аппаратная ошибка ввода-вывода."},
        {FileError::Generic, "При обращении к prog.csv произошла неизвестная ошибка."},
        {FileError::IsDirectory, "prog.csv является папкой, а не файлом."},
        {FileError::NotAFile, "prog.csv не является обычным файлом."},
        {FileError::TooLarge, "prog.csv слишком велик: файл больше 64 МБ."},
    };
    for (const auto& [error, text] : cases)
        EXPECT_EQ(FileErrorText(error, "prog.csv"), text);
    EXPECT_EQ(FileErrorText(FileError::NotFound, "%2 %1.csv"), "%2 %1.csv не найден.");
    EXPECT_EQ(FileErrorText(FileError::TooLarge, "a", std::size_t{3} << 20),
              "a слишком велик: файл больше 3 МБ.");
}

TEST(FileReadTest, DisplayName) {
    EXPECT_EQ(FileDisplayName("/home/op/программы/никель.csv"), "никель.csv");
    EXPECT_EQ(FileDisplayName("prog.csv"), "prog.csv");
}

} // namespace
} // namespace rir
