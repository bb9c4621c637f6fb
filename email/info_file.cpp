#include "email/info_file.h"

#include "os/cfile.h"
#include "os/temp_path.h"

#include <string>
#include <string_view>

namespace {
void AddLine(std::string& text, const char* tag, std::string_view value) {
    text += tag;
    text += value;
    text += "\r\n";
}

// A value of a line of its own: a CR or LF in it would start a line the caller never wrote
// (an extra "TO: " recipient, say).
void AddSingleLine(std::string& text, const char* tag, const CString& value) {
    std::string flat = value.str();
    for (char& ch : flat) {
        if (ch == '\r' || ch == '\n') {
            ch = ' ';
        }
    }
    AddLine(text, tag, flat);
}
} // namespace

CString BuildEmailInfo(const CStringArray& addresses, const CString& subject,
                       const CString& message, const CStringArray& fileNames,
                       const CString& snText) {
    std::string text;
    for (INT_PTR i = 1; i < addresses.GetSize(); ++i) {
        AddSingleLine(text, "TO: ", addresses.GetAt(i));
    }
    AddSingleLine(text, "FR: ", addresses.GetAt(0));
    AddSingleLine(text, "SU: ", subject);
    // Empty pieces (a leading LF, two in a row, a trailing one) give no line.
    const std::string_view body = message.view();
    size_t start = 0;
    while (start <= body.size()) {
        size_t end = body.find('\n', start);
        if (end == std::string_view::npos) {
            end = body.size();
        }
        if (end > start) {
            AddLine(text, "MS: ", body.substr(start, end - start));
        }
        start = end + 1;
    }
    for (INT_PTR i = 0; i < fileNames.GetSize(); ++i) {
        AddSingleLine(text, "FL: ", fileNames.GetAt(i));
    }
    AddSingleLine(text, "SN: ", snText);
    return CString(std::move(text));
}

CString EmailInfoPath() {
    char directory[260];
    const DWORD length = LibraryTempPath(sizeof(directory), directory);
    if (length == 0 || length >= sizeof(directory)) {
        return CString();
    }
    return CString(directory) + kEmailInfoName;
}

void WriteEmailInfo(const CString& path, const CString& text) {
    CFile file(path, CFile::modeCreate | CFile::modeWrite | CFile::modePrivate);
    file.Write(text.GetString(), static_cast<UINT>(text.GetLength()));
    file.Close();
}
