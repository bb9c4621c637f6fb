// The sources that the service configuration is read from, the environment and the registry
// file's Apps key, and how their texts are read.
#pragma once

#include <string>

// The largest port number a setting may name.
inline constexpr unsigned long kMaxPort = 65535;

// $`name`, or null when it is unset or empty.
const char* Environment(const char* name);

// One value of HKEY_LOCAL_MACHINE "SOFTWARE\Vanta Inc\Apps": a string as its text up to its
// first NUL, a DWORD in decimal (and `isNumber`, when given, set). False when there is no such
// value (or no file, or no key) or the value does not fit 1,024 bytes.
bool RegistryValue(const char* name, std::string& text, bool* isNumber = nullptr);

// A whole decimal number in [1, max], else false (a sign, spaces or trailing text included).
bool ParseNumber(const char* text, unsigned long max, unsigned long& number);

// Takes the number in $`name` into `setting`; a value that is not one leaves `setting` as it
// is and says so in `problem`: "<name>=<text> is not <what> (1 to <max>)".
template <typename Setting>
void ReadNumber(const char* name, unsigned long max, const char* what, Setting& setting,
                std::string& problem) {
    const char* text = Environment(name);
    unsigned long number = 0;
    if (text == nullptr) {
        return;
    }
    if (ParseNumber(text, max, number)) {
        setting = Setting(number);
        return;
    }
    problem =
        std::string(name) + "=" + text + " is not " + what + " (1 to " + std::to_string(max) + ")";
}
