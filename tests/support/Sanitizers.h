// CINEVARO_UNDER_ASAN is defined when the tests are built with AddressSanitizer (GCC or clang):
// tests whose conditions the sanitizer's own runtime cannot live with skip themselves there.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#define CINEVARO_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CINEVARO_UNDER_ASAN 1
#endif
#endif
