#include "platform/local_files.h"

#include "platform/cfile.h"

bool HoldsNul(const CString& text) {
    return text.view().find('\0') != std::string_view::npos;
}

const char* WholePath(const CString& path) {
    if (HoldsNul(path)) {
        throw CFileException(CFileException::badPath, 0, path);
    }
    return path.GetString();
}

std::uint64_t MeasureLocalFile(const CString& path, CString* name) {
    CFile file(WholePath(path), CFile::modeRead);
    const std::uint64_t length = file.GetLength();
    if (name != nullptr) {
        *name = file.GetFileName();
    }
    file.Close();
    return length;
}
