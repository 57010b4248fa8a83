#pragma once

#include "commands/MaintenanceContext.h"
#include "store/CommandOutcome.h"
#include "store/RecipientStore.h"

#include <cstdint>
#include <stop_token>
#include <string>
#include <vector>

namespace tidecast::commands
{

enum class TransferMode
{
    Copy,
    Move,
};

struct TransferRequest
{
    TransferMode mode = TransferMode::Copy;
    std::string source;
    std::string destination;
    std::vector<std::string> addresses; // in the order they are transferred
    bool overwrite = false;             // overwrite existing destination recipients without asking
};

// Whether the two groups can take part; the dialog stays open on an invalid destination.
enum class TransferCheck
{
    Ready,
    SourceInvalid,
    DestinationInvalid,
};

struct TransferSummary
{
    store::CommandOutcome outcome = store::CommandOutcome::Refused;
    std::int64_t written = 0; // added to or overwritten in the destination
    std::int64_t removed = 0; // deleted from the source
    std::vector<std::string> notFound;
    bool declined = false; // a recipient stayed where it was because a question was answered No
};

// Copies or moves recipients between two groups. Every transferred record takes the source's
// twenty text fields and today's date as its date added. A move writes and commits the
// destination before it deletes anything from the source, so a crash in between leaves the
// recipients in both groups and loses no one.
class RecipientTransfer
{
public:
    RecipientTransfer(MaintenanceContext context, TransferRequest request);

    // The whole job: the checks, both writes with their status texts, and the source's compaction
    // after a move.
    TransferSummary run(std::stop_token stop = {});

    // The steps of run(), in order.
    TransferCheck check();
    // Adds or overwrites the recipients in the destination, asking as it goes, and commits.
    store::CommandOutcome writeDestination(std::stop_token stop = {});
    // Deletes from the source what the move took, in one transaction; nothing while copying.
    store::CommandOutcome removeFromSource();

    const TransferSummary& summary() const { return m_summary; }

private:
    std::filesystem::path groupFile(const std::string& group) const;
    bool isMove() const { return m_request.mode == TransferMode::Move; }
    store::CommandOutcome failed(const Error& error);
    // Decides for a recipient already in the destination: whether to write it there and whether
    // the move may take it from the source.
    void settleExisting(const std::string& address, bool& write, bool& remove);
    [[nodiscard]] Result<void> transferOne(const std::string& address);

    MaintenanceContext m_context;
    TransferRequest m_request;
    TransferSummary m_summary;
    store::RecipientStore m_source;
    store::RecipientStore m_destination;
    std::string m_today;
    std::vector<std::string> m_taken; // what a move deletes from the source
};

} // namespace tidecast::commands
