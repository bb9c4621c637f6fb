// A host application in miniature: includes the one public header, links the library, uses
// a framework type across the library boundary and resolves an export.
#include <vantaapi.h>

#include <cstdio>
#include <cstring>

int main() {
    CString text("consumer");
    text += "-check";
    CString joined = text + CString("!");
    if (joined.GetLength() != 15 || std::strcmp(joined, "consumer-check!") != 0) {
        std::printf("CString misbehaves: \"%s\" (%d)\n", static_cast<const char*>(joined),
                    joined.GetLength());
        return 1;
    }
    unsigned int (*send)(const CString&, const CString&, CString&, StatusCallback) =
        &QDX_SendHTTPRequest;
    if (send == nullptr)
        return 1;
    std::printf("consumer ok: %s\n", static_cast<const char*>(joined));
    return 0;
}
