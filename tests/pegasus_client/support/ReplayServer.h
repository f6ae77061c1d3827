#ifndef PegasusClientTests_ReplayServer_h
#define PegasusClientTests_ReplayServer_h

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class Channel;

// A CIM server stand-in on a real socket (HTTP, or HTTPS with a given
// certificate) that answers each request it reads with the next scripted
// reply, byte for byte as captured from a real server. It records every
// request it received, raw.
class ReplayServer
{
public:
    struct Reply
    {
        enum class Kind
        {
            Send,           // write the bytes, keep the connection open
            SendAndClose,   // write the bytes, then close the connection
            Silent,         // read the request and never answer
        };
        Kind kind = Kind::Send;
        std::string bytes;
    };

    struct Tls
    {
        std::string certificateFile;
        std::string keyFile;
    };

    explicit ReplayServer(std::vector<Reply> replies);
    ReplayServer(std::vector<Reply> replies, Tls tls);
    ~ReplayServer();

    ReplayServer(const ReplayServer&) = delete;
    ReplayServer& operator=(const ReplayServer&) = delete;

    std::uint16_t port() const { return _port; }
    std::vector<std::string> requests() const;
    std::size_t connectionsAccepted() const { return _connections; }

    static Reply send(std::string bytes) { return Reply{Reply::Kind::Send, std::move(bytes)}; }

private:
    void run();
    void serveConnection(Channel& channel);

    std::vector<Reply> _replies;
    Tls _tls;
    int _listener = -1;
    std::uint16_t _port = 0;
    std::atomic<bool> _stopping{false};
    std::atomic<std::size_t> _connections{0};
    std::size_t _nextReply = 0;
    mutable std::mutex _mutex;
    std::vector<std::string> _requests;
    std::thread _thread;
};

// A TCP port on 127.0.0.1 that nothing listens on.
std::uint16_t unusedPort();

// A self-signed certificate and key for 127.0.0.1, made with the openssl
// command in a temporary directory.
struct TestCertificate
{
    std::string certificateFile;
    std::string keyFile;
};
const TestCertificate& testCertificate(const std::string& name);

#endif
