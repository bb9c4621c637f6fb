// Lists a user's assets of one product: number, name, size, views and the page address.
//
//   list_assets USER PRODUCT
//
// Exit status: 0 listed (an empty list too), 1 the service refused, 3 the service could not
// be reached, 2 wrong usage.
#include <vantaapi.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s USER PRODUCT\n", argv[0]);
        return 2;
    }

    // The library appends one new QDX_CAssetInfo per asset; the list never owns its entries,
    // so the caller deletes them.
    CObList assets;
    const unsigned int result = QDX_GetAssetList(argv[1], argv[2], assets, nullptr);

    for (POSITION pos = assets.GetHeadPosition(); pos != nullptr;) {
        const auto* asset = static_cast<const QDX_CAssetInfo*>(assets.GetNext(pos));
        // Members hold the reply's fields by position: text1 the name, value3 the size in
        // bytes, value5 the views, text5 the page address.
        std::printf("%s\t%s\t%lld bytes\t%u views\t%s\n", asset->m_strAssetNum.GetString(),
                    asset->m_strText1.GetString(), static_cast<long long>(asset->m_lValue3),
                    asset->m_nValue5, asset->m_strText5.GetString());
    }
    for (POSITION pos = assets.GetHeadPosition(); pos != nullptr;) {
        delete assets.GetNext(pos);
    }
    assets.RemoveAll();

    switch (result) {
    case 1:
        return 0;
    case 2048: // NOROWS: the user has no asset under this product
        std::puts("no assets");
        return 0;
    case 32:
        std::fprintf(stderr, "the service could not be reached\n");
        return 3;
    default:
        std::fprintf(stderr, "the service refused the list (result %u)\n", result);
        return 1;
    }
}
