#pragma once

#include "common/Result.h"

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/ssl/context.hpp>
#include <asio/ssl/stream.hpp>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tidecast::net
{

// A blocking TCP connection, optionally wrapped in TLS, in which every operation has a deadline.
// Used from one thread; only cancel() may be called from another one, and it makes the operation
// in progress (or the next one) fail with smtp_error::kCancelled. Errors carry the numeric codes
// of SmtpErrors.h.
class MailTransport
{
public:
    using Duration = std::chrono::milliseconds;

    MailTransport();
    ~MailTransport();
    MailTransport(const MailTransport&) = delete;
    MailTransport& operator=(const MailTransport&) = delete;

    // Server certificates are checked against the system's trust store plus this file (PEM), if
    // not empty. A file that cannot be read makes the next TLS handshake fail.
    void setCaFile(std::string certificateAuthorityFile);

    [[nodiscard]] Result<void> connect(const std::string& host, std::uint16_t port, Duration timeout);
    // Runs the TLS handshake on the open connection and verifies the certificate for `host`.
    [[nodiscard]] Result<void> startTls(const std::string& host, Duration timeout);
    [[nodiscard]] Result<void> write(std::string_view bytes, Duration timeout);
    // Waits for at least one byte and returns what has arrived.
    [[nodiscard]] Result<std::string> readSome(Duration timeout);

    void close();
    bool isOpen() const;
    bool isEncrypted() const { return m_tls != nullptr; }

    // Thread-safe.
    void cancel();

private:
    using TlsStream = asio::ssl::stream<asio::ip::tcp::socket&>;

    template <typename Start> Result<std::size_t> run(Start start, Duration timeout);
    Error ioError(const std::error_code& ec) const;

    asio::io_context m_io;
    asio::ip::tcp::socket m_socket;
    std::unique_ptr<asio::ssl::context> m_tlsContext;
    std::unique_ptr<TlsStream> m_tls;
    std::string m_caFile;
    std::string m_tlsError;
    std::atomic<bool> m_cancelled = false;
    std::error_code m_connectError; // why the last connection attempt failed
};

} // namespace tidecast::net
