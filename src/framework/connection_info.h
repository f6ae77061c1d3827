#pragma once
#include <cstdint>
#include <string>

namespace Quillet {
namespace QuilletConnection {

// How to reach a remote CIM server.
struct ConnectionInfo {
    std::string host;
    uint16_t port = 0;
    std::string user_name;
    std::string password;
    uint16_t reserved_short_1 = 0;
    uint16_t reserved_short_2 = 3;
    int32_t connection_type = 0;  // 0 plain, 1 SSL
    int32_t reserved_int_1 = 0;
    int32_t reserved_int_2 = 0;
};

}  // namespace QuilletConnection
}  // namespace Quillet
