#include "vulm/vector.h"

#include <gtest/gtest.h>

#include <stddef.h>
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

TEST(Vector, EachAppendToAFullVectorAllocatesOneMoreSlot)
{
    vector_t v;
    vector_construct(&v);
    fault::Scope count;
    for (uintptr_t i = 0; i < 5; i++)
        vector_pushBack(&v, fake(i));
    ASSERT_EQ(count.count(), 5);
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(count.size(i), (i + 1) * sizeof(void *)) << i;
    EXPECT_EQ(v.capacityBytes, 5 * sizeof(void *));
    EXPECT_EQ(contents(&v), (std::vector<void *>{fake(0), fake(1), fake(2), fake(3), fake(4)}));
    vector_destruct(&v);
}

TEST(Vector, RemoveByIdentityKeepsOrderAndCapacity)
{
    vector_t v;
    vector_construct(&v);
    void *e[] = {fake(0), fake(1), fake(2), fake(3), fake(4)};
    for (void *p : {e[0], e[1], e[2], e[3], e[4], e[1]})
        vector_pushBack(&v, p);
    const uint32_t six = uint32_t(6 * sizeof(void *));
    struct {
        void *remove;
        std::vector<void *> after;
    } steps[] = {
        {e[1], {e[0], e[2], e[3], e[4], e[1]}},
        {e[1], {e[0], e[2], e[3], e[4]}},
        {fake(9), {e[0], e[2], e[3], e[4]}},
        {NULL, {e[0], e[2], e[3], e[4]}},
        {e[4], {e[0], e[2], e[3]}},
        {e[0], {e[2], e[3]}},
    };
    for (const auto &st : steps) {
        vector_remove(&v, st.remove);
        EXPECT_EQ(contents(&v), st.after);
        EXPECT_EQ(v.capacityBytes, six);
    }
    // Room left by removals is reused without allocating.
    fault::Scope count;
    for (int i = 0; i < 4; i++)
        vector_pushBack(&v, fake(20 + i));
    EXPECT_EQ(count.count(), 0);
    EXPECT_EQ(vector_getSize(&v), 6u);
    vector_pushBack(&v, fake(30));
    EXPECT_EQ(count.count(), 1);
    EXPECT_EQ(v.capacityBytes, 7 * sizeof(void *));
    vector_destruct(&v);
}

TEST(Vector, OnlyTheFirst65536SlotsCanBeRemoved)
{
    // Filled by hand: 65,538 one-slot growths would copy gigabytes.
    const uint32_t n = 65538;
    vector_t v;
    v.items = static_cast<void **>(malloc(n * sizeof(void *)));
    ASSERT_NE(v.items, nullptr);
    v.size = n;
    v.capacityBytes = uint32_t(n * sizeof(void *));
    for (uintptr_t i = 0; i < n; i++)
        v.items[i] = fake(i);
    ASSERT_EQ(vector_getSize(&v), 65538u);
    vector_remove(&v, fake(65536)); // slot 65536: out of reach
    EXPECT_EQ(vector_getSize(&v), 65538u);
    EXPECT_EQ(vector_getElement(&v, 65536), fake(65536));
    vector_remove(&v, fake(65535)); // slot 65535: removable
    EXPECT_EQ(vector_getSize(&v), 65537u);
    EXPECT_EQ(vector_getElement(&v, 65535), fake(65536));
    vector_remove(&v, fake(65536)); // now in slot 65535
    EXPECT_EQ(vector_getSize(&v), 65536u);
    EXPECT_EQ(vector_getElement(&v, 65535), fake(65537));
    vector_destruct(&v);
}

TEST(Vector, FailedGrowthLeavesTheVectorAsItWas)
{
    vector_t v;
    vector_construct(&v);
    {
        fault::Scope fail(1);
        vector_pushBack(&v, fake(0));
    }
    EXPECT_EQ(v.items, nullptr);
    EXPECT_EQ(v.size, 0u);
    EXPECT_EQ(v.capacityBytes, 0u);
    vector_pushBack(&v, fake(0));
    vector_pushBack(&v, fake(1));
    vector_t before = v;
    {
        fault::Scope fail(1);
        vector_pushBack(&v, fake(2));
        EXPECT_EQ(fail.count(), 1);
    }
    EXPECT_EQ(v.items, before.items);
    EXPECT_EQ(v.size, before.size);
    EXPECT_EQ(v.capacityBytes, before.capacityBytes);
    vector_pushBack(&v, fake(2)); // tries to grow again
    EXPECT_EQ(contents(&v), (std::vector<void *>{fake(0), fake(1), fake(2)}));
    vector_destruct(&v);
}

TEST(Vector, AppendBeyondTheByteCountRangeIsRefused)
{
    // A full vector whose next slot would make capacityBytes exceed
    // 2^32 - 1: the append is refused without allocating or writing.
    // The block is a stand-in; nothing may touch it.
    void *stand_in[1] = {fake(1)};
    vector_t v;
    v.items = stand_in;
    v.size = UINT32_MAX / sizeof(void *);
    v.capacityBytes = uint32_t(v.size * sizeof(void *));
    vector_t before = v;
    fault::Scope count;
    vector_pushBack(&v, fake(2));
    EXPECT_EQ(count.count(), 0);
    EXPECT_EQ(v.items, before.items);
    EXPECT_EQ(v.size, before.size);
    EXPECT_EQ(v.capacityBytes, before.capacityBytes);
    EXPECT_EQ(stand_in[0], fake(1));
}

TEST(Vector, MakeAndItsFailure)
{
    vector_t *v = vector_make();
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->items, nullptr);
    EXPECT_EQ(v->size, 0u);
    EXPECT_EQ(v->capacityBytes, 0u);
    vector_destruct(v);
    free(v);
    fault::Scope fail(1);
    EXPECT_EQ(vector_make(), nullptr);
}

TEST(Vector, NullArgumentsAreIgnored)
{
    vector_t v;
    vector_construct(&v);
    vector_pushBack(&v, NULL);
    EXPECT_EQ(vector_getSize(&v), 0u);
    EXPECT_EQ(v.items, nullptr);
    vector_pushBack(&v, fake(1));
    EXPECT_EQ(vector_getElement(&v, 1), nullptr); // index == size
    EXPECT_EQ(vector_getElement(&v, 0xFFFFFFFFu), nullptr);
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
    vector_clear(&v);
    vector_clear(&v); // no storage: nothing to do
    EXPECT_EQ(v.items, nullptr);
    vector_remove(&v, fake(1)); // empty
    EXPECT_EQ(vector_getSize(&v), 0u);
}

TEST(Vector, MoveHandsOverTheBlock)
{
    vector_t a, b;
    vector_construct(&a);
    vector_construct(&b);
    vector_pushBack(&a, fake(1));
    vector_pushBack(&a, fake(2));
    vector_pushBack(&b, fake(3));
    void **block = a.items;
    vector_move(&b, &a); // b's old block is freed, a's taken over
    EXPECT_EQ(b.items, block);
    EXPECT_EQ(contents(&b), (std::vector<void *>{fake(1), fake(2)}));
    EXPECT_EQ(b.capacityBytes, 2 * sizeof(void *));
    EXPECT_EQ(a.items, nullptr);
    EXPECT_EQ(a.size, 0u);
    EXPECT_EQ(a.capacityBytes, 0u);
    vector_move(&b, &b); // onto itself: freed and empty
    EXPECT_EQ(b.items, nullptr);
    EXPECT_EQ(b.size, 0u);
    EXPECT_EQ(b.capacityBytes, 0u);
}

TEST(Vector, FreeElementsFreesHeapElementsOnly)
{
    vector_t v;
    vector_construct(&v);
    for (int i = 0; i < 4; i++)
        vector_pushBack(&v, malloc(16 + i));
    vector_freeElements(&v); // leak and double-free checks by the sanitizers
    EXPECT_EQ(vector_getSize(&v), 4u);
    vector_destruct(&v);
    EXPECT_EQ(v.items, nullptr);
    vector_freeElements(&v); // no storage
}

TEST(Vector, RecordLayout)
{
    EXPECT_EQ(offsetof(vector_t, items), 0u);
    EXPECT_EQ(offsetof(vector_t, size), sizeof(void *));
    EXPECT_EQ(offsetof(vector_t, capacityBytes), sizeof(void *) + 4);
}

} // namespace
