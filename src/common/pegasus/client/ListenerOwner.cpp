#include "ListenerOwner.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <ws2tcpip.h>

#include "WinAccount.h"

#include <iphlpapi.h>

#include <vector>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <optional>
#include <string_view>
#include <sstream>
#include <vector>
#endif

namespace Pegasus {
namespace ClientDetail {

namespace {

#ifndef _WIN32

constexpr const char* kListenState = "0A";

// A hex field of the kernel's table; nothing for anything else.
std::optional<std::uint32_t> hexField(std::string_view text)
{
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool trustedUser(unsigned long uid)
{
    return uid == 0 || uid == static_cast<unsigned long>(::geteuid());
}

std::string domainSocketReason(const std::string& path)
{
    struct stat info{};
    if (::lstat(path.c_str(), &info) != 0)
    {
        // Nothing to vouch for, and nothing to connect to: the connect says so.
        // One made in between still meets the peer check of the connection.
        if (errno == ENOENT)
            return "";
        return std::string("its socket file cannot be examined: ") + std::strerror(errno);
    }
    if (!S_ISSOCK(info.st_mode))
        return "it is not a socket";
    if (info.st_uid != 0)
        return "its socket file belongs to user ID " + std::to_string(info.st_uid) + ", not root";
    return "";
}

// A local address of /proc/net/tcp or tcp6 (the kernel's words in hex, each
// in this machine's byte order) that a connection to 127.0.0.1 or ::1 can reach.
bool reachableFromLoopback(const std::string& hexAddress)
{
    std::vector<std::uint32_t> words;
    for (std::size_t at = 0; at + 8 <= hexAddress.size(); at += 8)
    {
        const std::optional<std::uint32_t> word = hexField(std::string_view(hexAddress).substr(at, 8));
        if (!word)
            return false;
        words.push_back(*word);
    }
    const std::uint32_t loopback4 = htonl(INADDR_LOOPBACK);
    if (words.size() == 1)
        return words[0] == 0 || words[0] == loopback4;
    if (words.size() != 4 || words[0] != 0 || words[1] != 0)
        return false;
    if (words[2] == 0)
        return words[3] == 0 || words[3] == htonl(1);  // :: or ::1
    return words[2] == htonl(0xffff) && (words[3] == 0 || words[3] == loopback4);
}

// One row of /proc/net/tcp or tcp6.
struct SocketRow
{
    std::string local, remote, state;
    unsigned long uid = 0;
};

// Calls `visit` for each row of one of the kernel's socket tables until it
// returns false; false when the table cannot be read.
template <typename Visit>
bool visitSocketRows(const char* table, Visit visit)
{
    std::ifstream file(table);
    if (!file)
        return false;
    std::string line;
    std::getline(file, line);  // column titles
    while (std::getline(file, line))
    {
        std::istringstream fields(line);
        std::string slot, queues, timer, retransmits;
        SocketRow row;
        if (!(fields >> slot >> row.local >> row.remote >> row.state >> queues >> timer >> retransmits >> row.uid))
            continue;
        if (!visit(row))
            break;
    }
    return true;
}

// The owners of the LISTEN rows for `port` that 127.0.0.1 reaches, from one
// of the kernel's socket tables; false when the table cannot be read.
bool listenerOwners(const char* table, std::uint32_t port, std::vector<unsigned long>& owners)
{
    return visitSocketRows(table, [&](const SocketRow& row) {
        const std::size_t colon = row.local.find(':');
        if (row.state == kListenState && colon != std::string::npos &&
            hexField(std::string_view(row.local).substr(colon + 1)) == port &&
            reachableFromLoopback(row.local.substr(0, colon)))
            owners.push_back(row.uid);
        return true;
    });
}

std::string tcpListenerReason(std::uint32_t port)
{
    std::vector<unsigned long> owners;
    const bool v4 = listenerOwners("/proc/net/tcp", port, owners);
    const bool v6 = listenerOwners("/proc/net/tcp6", port, owners);
    if (!v4 && !v6)
        return "the kernel's socket tables (/proc/net/tcp) cannot be read to tell who listens";
    if (owners.empty())
        return "nobody listens there";
    for (unsigned long uid : owners)
    {
        if (!trustedUser(uid))
            return "its listener belongs to user ID " + std::to_string(uid) +
                   ", neither root nor this process's user";
    }
    return "";
}

// Rows of the kernel's tables for a connection not yet closed by the
// server: a time-wait row no longer names its owner (it shows uid 0).
constexpr const char* kEstablishedState = "01";
constexpr const char* kSynReceivedState = "03";

using SocketAddress = std::array<std::uint32_t, 5>;  // IPv6 words (IPv4 mapped), port

// "ADDRESS:PORT" of /proc/net/tcp or tcp6, IPv4 mapped into IPv6.
std::optional<SocketAddress> tableAddress(const std::string& field)
{
    const std::size_t colon = field.find(':');
    if (colon == std::string::npos || (colon != 8 && colon != 32))
        return std::nullopt;
    SocketAddress address{};
    for (std::size_t word = 0; word < colon / 8; ++word)
    {
        const std::optional<std::uint32_t> value = hexField(std::string_view(field).substr(word * 8, 8));
        if (!value)
            return std::nullopt;
        address[colon == 8 ? 3 : word] = *value;
    }
    if (colon == 8)
        address[2] = htonl(0xffff);
    const std::optional<std::uint32_t> port = hexField(std::string_view(field).substr(colon + 1));
    if (!port)
        return std::nullopt;
    address[4] = *port;
    return address;
}

std::optional<SocketAddress> socketAddress(const sockaddr_storage& storage)
{
    SocketAddress address{};
    if (storage.ss_family == AF_INET)
    {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(storage);
        address[2] = htonl(0xffff);
        address[3] = v4.sin_addr.s_addr;
        address[4] = ntohs(v4.sin_port);
        return address;
    }
    if (storage.ss_family == AF_INET6)
    {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(storage);
        std::memcpy(address.data(), &v6.sin6_addr, sizeof v6.sin6_addr);
        address[4] = ntohs(v6.sin6_port);
        return address;
    }
    return std::nullopt;
}

// The owner of the row whose local end is `server` and remote end `client`.
std::optional<unsigned long> acceptingSocketOwner(const char* table, const SocketAddress& server,
                                                  const SocketAddress& client)
{
    std::optional<unsigned long> owner;
    visitSocketRows(table, [&](const SocketRow& row) {
        if (tableAddress(row.local) != server || tableAddress(row.remote) != client)
            return true;
        if (row.state == kEstablishedState || row.state == kSynReceivedState)
            owner = row.uid;
        return false;
    });
    return owner;
}

#else

bool isTrustedAccount(PSID sid, PSID ownUser)
{
    if (ownUser != nullptr && EqualSid(sid, ownUser))
        return true;
    return IsWellKnownSid(sid, WinLocalSystemSid) || IsWellKnownSid(sid, WinLocalServiceSid);
}

std::string processReason(DWORD pid)
{
    if (pid == 4)
        return "";  // the kernel itself (http.sys listeners)
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == nullptr)
        return "the user of its listening process " + std::to_string(pid) + " cannot be read";
    const WinHandle owned(process);
    const std::vector<unsigned char> user = processTokenUser(process);
    const std::vector<unsigned char> own = processTokenUser(GetCurrentProcess());
    if (user.empty())
        return "the user of its listening process " + std::to_string(pid) + " cannot be read";
    if (!isTrustedAccount(userSid(user), own.empty() ? nullptr : userSid(own)))
        return "its listening process " + std::to_string(pid) +
               " runs as neither SYSTEM, LocalService nor this process's user";
    return "";
}

std::string tcpListenerReason(std::uint32_t port)
{
    ULONG size = 0;
    GetExtendedTcpTable(nullptr, &size, FALSE, AF_INET, TCP_TABLE_OWNER_PID_LISTENER, 0);
    std::vector<unsigned char> buffer(size + 1024);
    size = static_cast<ULONG>(buffer.size());
    if (GetExtendedTcpTable(buffer.data(), &size, FALSE, AF_INET, TCP_TABLE_OWNER_PID_LISTENER, 0) !=
        NO_ERROR)
        return "the table of TCP listeners cannot be read to tell who listens";
    const auto* table = reinterpret_cast<const MIB_TCPTABLE_OWNER_PID*>(buffer.data());
    bool found = false;
    for (DWORD i = 0; i < table->dwNumEntries; ++i)
    {
        const MIB_TCPROW_OWNER_PID& row = table->table[i];
        const std::uint32_t address = ntohl(row.dwLocalAddr);
        if (ntohs(static_cast<u_short>(row.dwLocalPort)) != port ||
            (address != 0 && address != INADDR_LOOPBACK))
            continue;
        found = true;
        const std::string reason = processReason(row.dwOwningPid);
        if (!reason.empty())
            return reason;
    }
    return found ? "" : "nobody listens there";
}

#endif

}  // namespace

#ifndef _WIN32
std::string untrustedTcpPeerReason(int socketFd)
{
    sockaddr_storage ours{}, theirs{};
    socklen_t oursLength = sizeof ours, theirsLength = sizeof theirs;
    if (::getsockname(socketFd, reinterpret_cast<sockaddr*>(&ours), &oursLength) != 0 ||
        ::getpeername(socketFd, reinterpret_cast<sockaddr*>(&theirs), &theirsLength) != 0)
        return std::string("the connection's addresses cannot be read: ") + std::strerror(errno);
    const std::optional<SocketAddress> client = socketAddress(ours), server = socketAddress(theirs);
    if (!client || !server)
        return "the connection is not TCP over IP";
    std::optional<unsigned long> owner = acceptingSocketOwner("/proc/net/tcp", *server, *client);
    if (!owner)
        owner = acceptingSocketOwner("/proc/net/tcp6", *server, *client);
    if (!owner)
        return "the socket that accepted the connection is not in the kernel's tables (/proc/net/tcp): "
               "nobody can be vouched for; nothing was sent";
    if (!trustedUser(*owner))
        return "the socket that accepted the connection belongs to user ID " + std::to_string(*owner) +
               ", neither root nor this process's user; nothing was sent";
    return "";
}
#endif

std::string untrustedListenerReason(const Endpoint& endpoint)
{
#ifndef _WIN32
    if (!endpoint.unixSocket.empty())
        return domainSocketReason(endpoint.unixSocket);
#endif
    return tcpListenerReason(endpoint.port);
}

}  // namespace ClientDetail
}  // namespace Pegasus
