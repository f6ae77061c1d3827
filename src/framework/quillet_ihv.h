#pragma once
#include <cstdint>
#include <string>

namespace Quillet {
namespace QuilletIHV {

// One block of raw service data: the output of one firmware-tool command.
struct RawData_ {
    std::string content;
    std::string reserved_text_1;
    std::string reserved_text_2;
    std::string command;
    std::string description;
    std::string name;
};

// The outcome of one diagnostic run.
struct DiagnosticRecord_ {
    int32_t result;
    std::string job_state;
    std::string percent_complete;
    std::string completion_state;
    std::string completion_record;
    std::string detail_1;
    std::string detail_2;
    std::string detail_3;
    std::string detail_4;
};

}  // namespace QuilletIHV
}  // namespace Quillet
