// Checks a login with the service and says what the answer means.
//
//   validate_login USER PASSWORD PRODUCT
//
// Exit status: 0 the login is valid, 1 the service refused it, 3 the service could not be
// reached, 2 wrong usage.
#include <vantaapi.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s USER PASSWORD PRODUCT\n", argv[0]);
        return 2;
    }

    // Blocks until the service has answered; no status notifications wanted (null callback).
    const unsigned int result = QDX_ValidateUser(argv[1], argv[2], argv[3], nullptr);

    // Callers compare exact values: the numbers are the contract (vanta/result_codes.h).
    switch (result) {
    case 1:
        std::puts("valid login");
        return 0;
    case 2:
        std::puts("valid login; the account has a homepage");
        return 0;
    case 4:
        std::puts("valid login; the account has published assets under this product");
        return 0;
    case 6:
        std::puts("valid login; the account has published assets and a homepage");
        return 0;
    case 8192:
        std::puts("refused: wrong password");
        return 1;
    case 1024:
        std::puts("refused: the product is not registered for this account");
        return 1;
    case 9216:
        std::puts("refused: wrong password, and the product is not registered");
        return 1;
    case 256:
        std::puts("refused: the service does not know this account");
        return 1;
    case 32:
        std::fprintf(stderr, "the service could not be reached\n");
        return 3;
    default:
        std::fprintf(stderr, "unexpected result %u\n", result);
        return 1;
    }
}
