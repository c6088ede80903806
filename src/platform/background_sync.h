#pragma once

#include <cstdint>
#include <memory>
#include <thread>

#include "platform/data_sync.h"

namespace ts {

// The DataSync of the program: one thread, started at the first sync, that syncs a second handle
// of the file while the caller goes on writing through its own. Nothing is allocated per sync.
class BackgroundSync final : public DataSync {
public:
    BackgroundSync();
    BackgroundSync(const BackgroundSync&) = delete;
    BackgroundSync& operator=(const BackgroundSync&) = delete;
    // Waits at most five seconds for a sync under way; one that hangs on a dead medium is left
    // to finish on its own rather than hold up the end of the program.
    ~BackgroundSync() override;

    bool Begin(const SystemFile& file) override;
    std::uint64_t Failures() const override;
    // Syncs ended, whatever their outcome.
    std::uint64_t Completed() const;

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
    std::unique_ptr<std::thread> thread_;
};

}  // namespace ts
