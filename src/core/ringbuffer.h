#pragma once
// A bounded sequence that forgets its oldest elements: appending past the bound drops as many
// from the front, at a cost that does not depend on how many are held.

#include <algorithm>
#include <cstddef>
#include <span>
#include <vector>

template <class T>
class RingBuffer {
public:
    explicit RingBuffer(std::size_t capacity) : slots_(capacity) {}

    std::size_t capacity() const { return slots_.size(); }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    // The element `i` places from the oldest one held.
    const T& operator[](std::size_t i) const { return slots_[(first_ + i) % slots_.size()]; }

    // How many of the oldest elements appending `count` more would drop.
    std::size_t droppedBy(std::size_t count) const {
        const std::size_t total = size_ + count;
        return total > capacity() ? std::min(total - capacity(), size_) : 0;
    }

    // Forgets the `count` oldest elements (all of them, when fewer are held).
    void dropFront(std::size_t count) {
        count = std::min(count, size_);
        if (count == 0) return;
        first_ = (first_ + count) % capacity();
        size_ -= count;
    }

    // Appends the elements in order; returns how many of the oldest were dropped. Of more than
    // the bound at once, only the last ones stay.
    std::size_t append(std::span<const T> items) {
        if (capacity() == 0) return 0;
        const std::size_t dropped = droppedBy(items.size());
        dropFront(dropped);
        if (items.size() > capacity()) items = items.last(capacity());
        for (const T& item : items) slots_[(first_ + size_++) % capacity()] = item;
        return dropped;
    }

    void clear() {
        first_ = 0;
        size_ = 0;
    }

private:
    std::vector<T> slots_;
    std::size_t first_ = 0;
    std::size_t size_ = 0;
};
