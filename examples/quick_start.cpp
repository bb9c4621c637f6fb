// The README's quick start: check a login, then list the user's assets of one product.
#include <vantaapi.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s USER PASSWORD PRODUCT\n", argv[0]);
        return 2;
    }
    // Each call blocks until the service has answered; the last argument is an optional
    // callback for the network layer's status notifications.
    const unsigned int login = QDX_ValidateUser(argv[1], argv[2], argv[3], nullptr);
    if (login != 1 && login != 2 && login != 4 && login != 6) { // see vanta/result_codes.h
        // The reason is empty when the service answered and refused the login.
        std::fprintf(stderr, "login refused or failed (result %u) %s\n", login,
                     QDX_GetLastFailureReason());
        return 1;
    }
    CObList assets; // filled with new QDX_CAssetInfo objects that the caller deletes
    const unsigned int listed = QDX_GetAssetList(argv[1], argv[3], assets, nullptr);
    for (POSITION pos = assets.GetHeadPosition(); pos != nullptr;) {
        auto* asset = static_cast<QDX_CAssetInfo*>(assets.GetNext(pos));
        std::printf("%s %s\n", asset->m_strAssetNum.GetString(), asset->m_strText1.GetString());
        delete asset;
    }
    return listed == 1 || listed == 2048 ? 0 : 1; // 2048: no assets
}
