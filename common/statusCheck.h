#pragma once
// Status checks for host calls that yield an MStatus.
#include <maya/MStatus.h>

#include <iostream>

// When status is not MS::kSuccess, writes "\nAPI error detected in <file> at line <line>" and
// the status's error text to standard error. The caller carries on either way.
#define STATUS_CHECK(status) statusCheckReport((status), __FILE__, __LINE__)

// When status is not MS::kSuccess, writes "ERROR <text>" and the status's error text, each on
// its own line, to standard error and returns the status from the enclosing function.
#define STATUS_RETURN_ON_ERROR(status, text)                                                   \
    do {                                                                                       \
        const MStatus statusCheckResult_ = (status);                                           \
        if (statusCheckResult_ != MS::kSuccess) {                                              \
            std::cerr << "ERROR " << (text) << std::endl                                       \
                      << statusCheckResult_.errorString() << std::endl;                        \
            return statusCheckResult_;                                                         \
        }                                                                                      \
    } while (0)

inline void statusCheckReport(const MStatus& status, const char* file, int line) {
    if (status == MS::kSuccess) return;
    std::cerr << "\nAPI error detected in " << file << " at line " << line << std::endl;
    status.perror("");
}
