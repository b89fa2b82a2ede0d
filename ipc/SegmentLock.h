#pragma once

#include <cstdint>

// The lock kept beside each segment: a recursive spin lock on three 32-bit
// words in shared memory (state: 0 free, 1 taken; count: recursion depth;
// owner: the holder's thread id, 0xFFFFFFFF when free). Only the state word
// decides whether the lock is free, so a record whose other words hold
// anything reads as free while its state is 0.
class SegmentLock {
public:
    static constexpr std::uint32_t kNoOwner = 0xFFFFFFFFu;

    // words: three consecutive 32-bit words in the mapped info record.
    explicit SegmentLock(std::uint32_t* words) : m_words(words) {}

    // Lays a free lock out.
    void construct();
    bool tryLock();
    // False when the calling thread does not hold the lock.
    bool unlock();
    // The holder's thread id, kNoOwner when free.
    std::uint32_t owner() const;
    // Frees a lock whose holder is gone (a crashed process): only then.
    bool breakIfOwnerGone();

    static std::uint32_t currentThreadId();

private:
    std::uint32_t* state() const { return m_words; }
    std::uint32_t* count() const { return m_words + 1; }
    std::uint32_t* ownerWord() const { return m_words + 2; }

    std::uint32_t* m_words;
};
