#pragma once

namespace tidecast::net
{

// The numeric error codes our SMTP and POP3 clients report through their error event and their
// last-error record. The send session tests some of them by number, so they never change.
namespace smtp_error
{
inline constexpr int kHostNotFound = 27105;         // the server's host name could not be resolved
inline constexpr int kConnectFailed = 27106;        // no TCP connection could be made to the server
inline constexpr int kTlsFailed = 27107;            // TLS handshake or certificate verification failed
inline constexpr int kAuthenticationFailed = 27108; // the server refused the user name or password
inline constexpr int kNotConnected = 27109;         // the operation needs an established session
inline constexpr int kCancelled = 27110;            // a blocking operation was cancelled by the program
inline constexpr int kTimeout = 27111;              // the server did not answer within the time-out
inline constexpr int kProtocol = 27112;             // the server's answer could not be understood
inline constexpr int kConnectionClosed = 27113;     // the server closed the connection
inline constexpr int kConnectionLost = 27114;       // reading or writing failed: the connection is gone
inline constexpr int kSenderRejected = 27115;       // MAIL FROM was refused
inline constexpr int kDataRejected = 27116;         // DATA or the end of the message was refused
inline constexpr int kDsnNotSupported = 27117;      // the server does not offer delivery status notification
inline constexpr int kEncryptionUnavailable =
    27118;                                       // TLS is required but not offered, or credentials would go in clear
inline constexpr int kMessageTooLarge = 27119;   // the message exceeds the SIZE the server announced
inline constexpr int kRecipientRejected = 27120; // RCPT TO was refused
inline constexpr int kInvalidRecipient = 27121;  // the data phase was refused because no recipient is valid
} // namespace smtp_error

} // namespace tidecast::net
