// The local file stand-in: what it refuses to open, and the private files it makes. Reading
// and writing whole files is the upload tests' (each stored file is compared with its source).
#include "platform/cfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Anything but a regular file of one's own is refused at once: a FIFO would block the open or
// the first read for ever (the alarm bounds that wait), a device is no file to send, and a
// private file with a second name or a link would carry what is written to wherever that
// name points. A private file of one's own is replaced; a new one is the owner's only.
TEST(CFile, OnlyRegularFilesOpenAndPrivateOnesOnlyUnderTheirOneName) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("vanta-cfile-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto path = [&dir](const char* name) { return (dir / name).string(); };
    const UINT privateCreate = CFile::modeCreate | CFile::modeWrite | CFile::modePrivate;
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    std::ofstream(path("planted")) << "not yours to change";
    ASSERT_EQ(::link(path("planted").c_str(), path("linked").c_str()), 0);
    ASSERT_EQ(::symlink(path("made-by-link").c_str(), path("symlink").c_str()), 0);
    const struct {
        std::string path;
        UINT flags;
        int cause; // 0: any
    } refused[] = {
        {path("absent"), CFile::modeRead, CFileException::fileNotFound},
        {dir.string(), CFile::modeRead, CFileException::accessDenied},
        {path("fifo"), CFile::modeRead, 0},
        {path("fifo"), privateCreate, 0},
        {"/dev/null", CFile::modeRead, 0},
        {path("linked"), privateCreate, 0},
        {path("symlink"), privateCreate, 0},
    };
    ::alarm(20);
    for (const auto& row : refused) {
        try {
            CFile file(row.path.c_str(), row.flags);
            ADD_FAILURE() << "opened " << row.path;
        } catch (const CFileException& e) {
            EXPECT_TRUE(row.cause == 0 || e.m_cause == row.cause) << row.path;
        }
    }
    ::alarm(0);
    std::ifstream in(path("planted"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "not yours to change");
    EXPECT_FALSE(std::filesystem::exists(path("made-by-link")));

    std::ofstream(path("own")) << "an older text";
    EXPECT_EQ(CFile(path("own").c_str(), privateCreate).GetLength(), 0U);
    CFile(path("new").c_str(), privateCreate).Close();
    struct stat info {};
    EXPECT_TRUE(stat(path("new").c_str(), &info) == 0 && (info.st_mode & 0777) == 0600);
    std::filesystem::remove_all(dir);
}

} // namespace
