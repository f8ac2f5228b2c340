#pragma once
// Q50_ADDRESS_SANITIZED is defined when this test is built with AddressSanitizer, by GCC (which
// says so with __SANITIZE_ADDRESS__) or by clang (which answers __has_feature instead).

#if defined(__SANITIZE_ADDRESS__)
#define Q50_ADDRESS_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define Q50_ADDRESS_SANITIZED 1
#endif
#endif
