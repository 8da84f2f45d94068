#include "data/peak_label.h"

#include <array>
#include <atomic>
#include <mutex>
#include <new>
#include <ostream>
#include <unordered_map>

namespace tarnova {
namespace {

// The texts lie in blocks that never move, so that a text is read without a lock: a thread
// learns a label's number only after the text was stored (through whatever handed it the peak).
// Room for 2^28 different labels.
constexpr std::uint32_t kBlockBits = 12;
constexpr std::uint32_t kBlockSize = 1u << kBlockBits;
constexpr std::uint32_t kBlockCount = 1u << 16;

struct LabelTable {
    std::mutex mutex; // entering a text
    std::unordered_map<std::string_view, std::uint32_t> numbers;
    std::uint32_t count = 1; // number 0 is the empty label, which is never entered
};

// Never destroyed: peaks of threads still running at exit may read it.
LabelTable& table() {
    static LabelTable* const labels = new LabelTable;
    return *labels;
}

// Zero until a block is made; static, so that the pages of blocks never made are never touched.
constinit std::array<std::atomic<std::string*>, kBlockCount> blocks{};

const std::string& textOf(std::uint32_t id) {
    return blocks[id >> kBlockBits].load(std::memory_order_acquire)[id & (kBlockSize - 1)];
}

std::uint32_t enter(std::string_view text) {
    LabelTable& labels = table();
    const std::lock_guard lock(labels.mutex);
    if (const auto found = labels.numbers.find(text); found != labels.numbers.end()) {
        return found->second;
    }
    const std::uint32_t id = labels.count;
    if ((id >> kBlockBits) == kBlockCount) {
        throw std::bad_alloc();
    }
    std::atomic<std::string*>& block = blocks[id >> kBlockBits];
    if (block.load(std::memory_order_relaxed) == nullptr) {
        block.store(new std::string[kBlockSize], std::memory_order_release);
    }
    std::string& slot = block.load(std::memory_order_relaxed)[id & (kBlockSize - 1)];
    slot.assign(text);
    labels.numbers.emplace(slot, id);
    labels.count = id + 1;
    return id;
}

} // namespace

PeakLabel::PeakLabel(std::string_view text) {
    if (text.empty()) {
        return;
    }
    // A measurement repeats a few labels peak after peak: the last ones met on this thread are
    // found without the lock.
    struct Recent {
        std::string_view text;
        std::uint32_t id = 0;
    };
    thread_local std::array<Recent, 8> recent{};
    thread_local std::size_t next = 0;
    for (const Recent& entry : recent) {
        if (entry.id != 0 && entry.text == text) {
            id_ = entry.id;
            return;
        }
    }
    id_ = enter(text);
    recent[next] = {textOf(id_), id_};
    next = (next + 1) % recent.size();
}

std::optional<PeakLabel> PeakLabel::find(std::string_view text) {
    if (text.empty()) {
        return PeakLabel();
    }
    LabelTable& labels = table();
    const std::lock_guard lock(labels.mutex);
    const auto found = labels.numbers.find(text);
    if (found == labels.numbers.end()) {
        return std::nullopt;
    }
    PeakLabel label;
    label.id_ = found->second;
    return label;
}

const std::string& PeakLabel::str() const {
    static const std::string empty;
    return id_ == 0 ? empty : textOf(id_);
}

std::ostream& operator<<(std::ostream& out, PeakLabel label) {
    return out << label.str();
}

} // namespace tarnova
