#include "tests/support/DebugOutput.h"

#include <windows.h>

namespace {

// The debugger output travels as an exception that a debugger would catch: the
// narrow form carries (length, text), the wide form (length, wide text).
constexpr DWORD kPrint = 0x40010006;
constexpr DWORD kPrintWide = 0x4001000A;

std::vector<std::string> gLines;

LONG CALLBACK Record(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    if (record.ExceptionCode == kPrint && record.NumberParameters >= 2) {
        gLines.emplace_back(reinterpret_cast<const char*>(record.ExceptionInformation[1]));
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    if (record.ExceptionCode == kPrintWide && record.NumberParameters >= 2) {
        std::string line;
        for (const wchar_t* c = reinterpret_cast<const wchar_t*>(record.ExceptionInformation[1]); *c; ++c)
            line.push_back(static_cast<char>(*c));
        gLines.push_back(line);
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

} // namespace

DebugOutput::DebugOutput() : handler(AddVectoredExceptionHandler(1, Record)) {
    gLines.clear();
}

DebugOutput::~DebugOutput() {
    RemoveVectoredExceptionHandler(handler);
}

const std::vector<std::string>& DebugOutput::Lines() const {
    return gLines;
}
