#include "vulm/vector.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <vector>

#include "support.h"

namespace {

// Pointer values that are never valid memory: the vector must not
// dereference what it stores.
void *fake(uintptr_t i) { return reinterpret_cast<void *>(0x10 + 0x10 * i); }

std::vector<void *> contents(const vector_t *v)
{
    std::vector<void *> out;
    for (uint32_t i = 0; i < vector_getSize(v); i++)
        out.push_back(vector_getElement(v, i));
    return out;
}

// One allocation of exactly one more slot per append to a full vector;
// removal by identity keeps order and capacity, and the room it leaves is
// reused; a failed growth leaves the vector as it was.
TEST(Vector, GrowsOneSlotAtATimeAndRemovesByIdentity)
{
    vector_t v;
    vector_construct(&v);
    {
        fault::Scope count;
        for (uintptr_t i = 0; i < 3; i++)
            vector_pushBack(&v, fake(i));
        ASSERT_EQ(count.count(), 3);
        for (int i = 0; i < 3; i++)
            EXPECT_EQ(count.size(i), (i + 1) * sizeof(void *)) << i;
    }
    vector_pushBack(&v, fake(1));
    const uint32_t four = uint32_t(4 * sizeof(void *));
    const struct {
        void *remove;
        std::vector<void *> after;
    } steps[] = {
        {fake(1), {fake(0), fake(2), fake(1)}}, {fake(9), {fake(0), fake(2), fake(1)}},
        {NULL, {fake(0), fake(2), fake(1)}},    {fake(1), {fake(0), fake(2)}},
        {fake(0), {fake(2)}},
    };
    for (const auto &st : steps) {
        vector_remove(&v, st.remove);
        EXPECT_EQ(contents(&v), st.after);
        EXPECT_EQ(v.capacityBytes, four);
    }
    {
        fault::Scope fail(1);
        for (uintptr_t i = 3; i < 7; i++)
            vector_pushBack(&v, fake(i)); // three fit, the fourth fails to grow
        EXPECT_EQ(fail.count(), 1);
    }
    EXPECT_EQ(contents(&v), (std::vector<void *>{fake(2), fake(3), fake(4), fake(5)}));
    EXPECT_EQ(v.capacityBytes, four);
    EXPECT_EQ(vector_getElement(&v, 4), nullptr);
    vector_destruct(&v);
    EXPECT_EQ(v.items, nullptr);
    EXPECT_EQ(v.size, 0u);
    EXPECT_EQ(v.capacityBytes, 0u);
}

TEST(Vector, OnlyTheFirst65536SlotsCanBeRemoved)
{
    // Filled by hand: 65,538 one-slot growths would copy gigabytes.
    const uint32_t n = 65538;
    vector_t v = {static_cast<void **>(malloc(n * sizeof(void *))), n, uint32_t(n * sizeof(void *))};
    ASSERT_NE(v.items, nullptr);
    for (uintptr_t i = 0; i < n; i++)
        v.items[i] = fake(i);
    vector_remove(&v, fake(65536)); // slot 65536: out of reach
    EXPECT_EQ(vector_getSize(&v), 65538u);
    vector_remove(&v, fake(65535)); // slot 65535: removable
    EXPECT_EQ(vector_getSize(&v), 65537u);
    EXPECT_EQ(vector_getElement(&v, 65535), fake(65536));
    EXPECT_EQ(vector_getElement(&v, 65536), fake(65537));
    vector_destruct(&v);
}

TEST(Vector, AppendBeyondTheByteCountRangeIsRefused)
{
    // The next slot would take capacityBytes past 2^32 - 1; the block is a
    // stand-in that nothing may touch.
    void *standIn[1] = {fake(1)};
    vector_t v = {standIn, uint32_t(UINT32_MAX / sizeof(void *)), 0};
    v.capacityBytes = uint32_t(v.size * sizeof(void *));
    fault::Scope count;
    vector_pushBack(&v, fake(2));
    EXPECT_EQ(count.count(), 0);
    EXPECT_EQ(v.size, UINT32_MAX / sizeof(void *));
    EXPECT_EQ(standIn[0], fake(1));
}

TEST(Vector, MakeMoveAndFreeElements)
{
    vector_t *a = vector_make();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->items, nullptr);
    EXPECT_EQ(a->size, 0u);
    EXPECT_EQ(a->capacityBytes, 0u);
    vector_t b;
    vector_construct(&b);
    vector_pushBack(a, malloc(1));
    vector_pushBack(a, malloc(2));
    vector_pushBack(&b, fake(3));
    void **block = a->items;
    vector_move(&b, a); // b's block freed, a's taken over
    EXPECT_EQ(b.items, block);
    EXPECT_EQ(b.size, 2u);
    EXPECT_EQ(b.capacityBytes, 2 * sizeof(void *));
    EXPECT_EQ(a->items, nullptr);
    EXPECT_EQ(a->size, 0u);
    EXPECT_EQ(a->capacityBytes, 0u);
    free(a);
    vector_freeElements(&b); // the sanitizers see leaks and double frees
    vector_clear(&b);
    vector_freeElements(&b);
    fault::Scope fail(1);
    EXPECT_EQ(vector_make(), nullptr);
}

TEST(Vector, NullArgumentsAreIgnored)
{
    vector_t v;
    vector_construct(&v);
    vector_pushBack(&v, NULL);
    EXPECT_EQ(v.items, nullptr);
    vector_pushBack(&v, fake(1));
    EXPECT_EQ(vector_getSize(NULL), 0u);
    EXPECT_EQ(vector_getElement(NULL, 0), nullptr);
    vector_construct(NULL);
    vector_clear(NULL);
    vector_destruct(NULL);
    vector_freeElements(NULL);
    vector_pushBack(NULL, fake(1));
    vector_remove(NULL, fake(1));
    vector_move(NULL, &v);
    vector_move(&v, NULL);
    EXPECT_EQ(contents(&v), std::vector<void *>{fake(1)});
    vector_destruct(&v);
}

} // namespace
