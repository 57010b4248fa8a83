#include "net/MailTransport.h"

#include "net/SmtpErrors.h"

#include <asio/connect.hpp>
#include <asio/ip/address.hpp>
#include <asio/post.hpp>
#include <asio/read.hpp>
#include <asio/ssl/error.hpp>
#include <asio/write.hpp>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <array>
#include <vector>

namespace tidecast::net
{

namespace
{

bool isIpAddress(const std::string& host)
{
    std::error_code ec;
    asio::ip::make_address(host, ec);
    return !ec;
}

} // namespace

MailTransport::MailTransport()
    : m_socket(m_io)
{}

MailTransport::~MailTransport()
{
    close();
}

void MailTransport::setCaFile(std::string certificateAuthorityFile)
{
    if (certificateAuthorityFile != m_caFile) {
        m_caFile = std::move(certificateAuthorityFile);
        m_tlsContext.reset();
    }
}

bool MailTransport::isOpen() const
{
    return m_socket.is_open();
}

void MailTransport::close()
{
    m_tls.reset();
    std::error_code ignored;
    m_socket.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    m_socket.close(ignored);
}

void MailTransport::cancel()
{
    m_cancelled = true;
    // Runs on the thread that is blocked in run(); closing the socket ends its operation at once.
    asio::post(m_io, [this] {
        std::error_code ignored;
        m_socket.close(ignored);
    });
}

Error MailTransport::ioError(const std::error_code& ec) const
{
    if (m_cancelled || ec == asio::error::operation_aborted) {
        return {ErrorCode::Cancelled, "The operation was cancelled", smtp_error::kCancelled};
    }
    if (ec == asio::error::eof || ec == asio::error::connection_reset || ec == asio::ssl::error::stream_truncated) {
        return {ErrorCode::Network, "The server closed the connection", smtp_error::kConnectionClosed};
    }
    return {ErrorCode::Network, "The connection to the server was lost (" + ec.message() + ")",
            smtp_error::kConnectionLost};
}

// Starts one asynchronous operation and runs the I/O loop until it completes or the deadline
// passes; on a time-out the socket is closed, which ends the operation, and the loop drains.
template <typename Start> Result<std::size_t> MailTransport::run(Start start, Duration timeout)
{
    if (m_cancelled) {
        return Error{ErrorCode::Cancelled, "The operation was cancelled", smtp_error::kCancelled};
    }
    bool done = false;
    std::error_code result;
    std::size_t transferred = 0;
    m_io.restart();
    start([&](const std::error_code& ec, std::size_t n) {
        done = true;
        result = ec;
        transferred = n;
    });
    m_io.run_for(timeout);
    if (!done) {
        std::error_code ignored;
        m_socket.close(ignored);
        m_io.restart();
        m_io.run();
        if (!m_cancelled) {
            return Error{ErrorCode::Timeout, "The server did not answer in time", smtp_error::kTimeout};
        }
    }
    if (result || m_cancelled) {
        return ioError(result);
    }
    return transferred;
}

Result<void> MailTransport::connect(const std::string& host, std::uint16_t port, Duration timeout)
{
    close();
    // A cancel meant for an earlier operation must not hit this connection; one that comes in
    // from now on must.
    m_cancelled = false;
    m_io.restart();
    m_io.poll();

    m_connectError.clear();
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    auto remaining = [&] {
        return std::max(Duration(1), std::chrono::duration_cast<Duration>(deadline - std::chrono::steady_clock::now()));
    };

    std::vector<asio::ip::tcp::endpoint> endpoints;
    std::error_code notAnAddress;
    const auto address = asio::ip::make_address(host, notAnAddress);
    if (!notAnAddress) {
        // A literal address needs no look-up (nor the resolver's helper thread).
        endpoints.emplace_back(address, port);
    } else {
        asio::ip::tcp::resolver resolver(m_io);
        bool resolved = false;
        std::error_code resolveError;
        m_io.restart();
        resolver.async_resolve(host, std::to_string(port),
                               [&](const std::error_code& ec, asio::ip::tcp::resolver::results_type results) {
                                   resolved = true;
                                   resolveError = ec;
                                   for (const auto& entry : results) {
                                       endpoints.push_back(entry.endpoint());
                                   }
                               });
        m_io.run_for(remaining());
        if (!resolved) {
            resolver.cancel();
            m_io.restart();
            m_io.run();
            if (m_cancelled) {
                return Error{ErrorCode::Cancelled, "The operation was cancelled", smtp_error::kCancelled};
            }
            return Error{ErrorCode::Timeout, "Looking up " + host + " took too long", smtp_error::kTimeout};
        }
        if (m_cancelled) {
            return Error{ErrorCode::Cancelled, "The operation was cancelled", smtp_error::kCancelled};
        }
        if (resolveError || endpoints.empty()) {
            return Error{ErrorCode::Network,
                         "The server name " + host + " (port " + std::to_string(port) + ") was not found",
                         smtp_error::kHostNotFound};
        }
    }

    auto connected = run(
        [&](auto handler) {
            asio::async_connect(m_socket, endpoints,
                                [this, handler](const std::error_code& ec, const asio::ip::tcp::endpoint&) mutable {
                                    m_connectError = ec;
                                    handler(ec, 0);
                                });
        },
        remaining());
    if (!connected) {
        auto error = connected.error();
        const std::string server = host + ":" + std::to_string(port);
        if (m_connectError == asio::error::connection_refused) {
            error = Error{ErrorCode::Network, server + " refused the connection", smtp_error::kConnectFailed};
        } else if (error.number == smtp_error::kConnectionLost || error.number == smtp_error::kConnectionClosed) {
            error = Error{ErrorCode::Network, "Unable to connect to " + server + " (" + m_connectError.message() + ")",
                          smtp_error::kConnectFailed};
        }
        close();
        return error;
    }
    std::error_code ignored;
    // Commands are small and each waits for its reply: don't let Nagle hold them back.
    m_socket.set_option(asio::ip::tcp::no_delay(true), ignored);
    // Lets write() and readSome() try the socket directly: they then never block there.
    m_socket.non_blocking(true, ignored);
    return {};
}

Result<void> MailTransport::startTls(const std::string& host, Duration timeout)
{
    if (!m_tlsContext) {
        auto context = std::make_unique<asio::ssl::context>(asio::ssl::context::tls_client);
        context->set_options(asio::ssl::context::default_workarounds | asio::ssl::context::no_sslv2 |
                             asio::ssl::context::no_sslv3 | asio::ssl::context::no_tlsv1 |
                             asio::ssl::context::no_tlsv1_1);
        std::error_code ec;
        context->set_default_verify_paths(ec);
        m_tlsError.clear();
        if (!m_caFile.empty()) {
            context->load_verify_file(m_caFile, ec);
            if (ec) {
                m_tlsError = "The CA file " + m_caFile + " could not be read";
            }
        }
        context->set_verify_mode(asio::ssl::verify_peer);
        m_tlsContext = std::move(context);
    }
    if (!m_tlsError.empty()) {
        close();
        return Error{ErrorCode::Tls, m_tlsError, smtp_error::kTlsFailed};
    }

    m_tls = std::make_unique<TlsStream>(m_socket, *m_tlsContext);
    SSL* ssl = m_tls->native_handle();
    // OpenSSL checks the name (or address) in the certificate as part of the chain verification.
    if (isIpAddress(host)) {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), host.c_str());
    } else {
        SSL_set1_host(ssl, host.c_str());
        SSL_ctrl(ssl, SSL_CTRL_SET_TLSEXT_HOSTNAME, TLSEXT_NAMETYPE_host_name, const_cast<char*>(host.c_str()));
    }

    auto handshake = run(
        [&](auto handler) {
            m_tls->async_handshake(asio::ssl::stream_base::client,
                                   [handler](const std::error_code& ec) mutable { handler(ec, 0); });
        },
        timeout);
    if (!handshake) {
        auto error = handshake.error();
        const long verifyResult = SSL_get_verify_result(ssl);
        if (verifyResult != X509_V_OK) {
            std::error_code noPeer;
            const auto peer = m_socket.remote_endpoint(noPeer);
            const std::string server = noPeer ? host : host + ":" + std::to_string(peer.port());
            error = Error{ErrorCode::Tls,
                          "The certificate of " + server +
                              " could not be verified: " + X509_verify_cert_error_string(verifyResult),
                          smtp_error::kTlsFailed};
        } else if (error.number != smtp_error::kCancelled && error.number != smtp_error::kTimeout) {
            error = Error{ErrorCode::Tls, "The TLS handshake with " + host + " failed: " + error.detail,
                          smtp_error::kTlsFailed};
        }
        close();
        return error;
    }
    return {};
}

Result<void> MailTransport::write(std::string_view bytes, Duration timeout)
{
    if (!m_socket.is_open()) {
        return Error{ErrorCode::Network, "Not connected to a server", smtp_error::kNotConnected};
    }
    // In the clear, most writes go out at once: the I/O loop (a poll of its own) is needed only
    // for what the socket would not take now, and to report a failure in its usual words.
    if (!m_tls && !m_cancelled && m_socket.non_blocking()) {
        std::error_code ec;
        while (!bytes.empty() && !ec) {
            bytes.remove_prefix(m_socket.write_some(asio::buffer(bytes), ec));
        }
        if (bytes.empty()) {
            return {};
        }
    }
    auto written = run(
        [&](auto handler) {
            if (m_tls) {
                asio::async_write(*m_tls, asio::buffer(bytes), handler);
            } else {
                asio::async_write(m_socket, asio::buffer(bytes), handler);
            }
        },
        timeout);
    if (!written) {
        return written.error();
    }
    return {};
}

Result<std::string> MailTransport::readSome(Duration timeout)
{
    if (!m_socket.is_open()) {
        return Error{ErrorCode::Network, "Not connected to a server", smtp_error::kNotConnected};
    }
    std::array<char, 16384> buffer{};
    // A reply that has already arrived is taken without the I/O loop.
    if (!m_tls && !m_cancelled && m_socket.non_blocking()) {
        std::error_code ec;
        const auto n = m_socket.read_some(asio::buffer(buffer), ec);
        if (!ec && n > 0) {
            return std::string(buffer.data(), n);
        }
    }
    auto received = run(
        [&](auto handler) {
            if (m_tls) {
                m_tls->async_read_some(asio::buffer(buffer), handler);
            } else {
                m_socket.async_read_some(asio::buffer(buffer), handler);
            }
        },
        timeout);
    if (!received) {
        return received.error();
    }
    return std::string(buffer.data(), *received);
}

} // namespace tidecast::net
