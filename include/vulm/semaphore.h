/*
 * Counting semaphore for the threads of one process: a mutex, a condition
 * variable on CLOCK_MONOTONIC and an unsigned count. Usable as the C++
 * class `semaphore` or, from C and C++, through the flat functions on an
 * opaque handle. Every operation may run on any number of threads at once;
 * destroy only when no thread is inside an operation.
 *
 * Locking failures (possible only on a damaged or destroyed object) throw
 * std::system_error, and semaphore_create throws std::bad_alloc; the flat
 * functions catch nothing, so these pass through them.
 *
 * Time-outs whose nanosecond total or deadline does not fit in a signed
 * 64-bit count of nanoseconds are clamped to it: a huge positive time-out
 * waits as long as can be represented (about 292 years), a huge negative
 * one is a non-blocking attempt. The flat waits return int (1 or 0); the
 * timed wait exists only as semaphore_waitFor.
 */
#ifndef VULM_SEMAPHORE_H
#define VULM_SEMAPHORE_H

#include <pthread.h>
#include <stdint.h>
#include <time.h>

#include "api.h"

/* The interface passes struct timespec: library and client must both use
   64-bit time_t (-D_TIME_BITS=64 on 32-bit targets). */
typedef char vulm_semaphore_needs_64bit_time_t[sizeof(time_t) == 8 ? 1 : -1];

#ifdef __cplusplus

class VULM_API semaphore;
extern "C" VULM_API int semaphore_waitFor(semaphore *handle, const struct timespec *timeout);

class VULM_API semaphore {
public:
    /* Count starts at `initial`; `name` is ignored and may be null. */
    semaphore(unsigned int initial, char const *name);
    ~semaphore();
    /* doWait() when block is true, else tryWait(). */
    bool wait(bool block);
    /* Blocks until a unit is available and takes it; always true. */
    bool doWait();
    /* Takes a unit if one is available; false at once otherwise. */
    bool tryWait();
    /* Adds a unit and wakes one waiter; at count 0xFFFFFFFF the unit is
       dropped silently. */
    void post();

    semaphore(const semaphore &) = delete;
    semaphore &operator=(const semaphore &) = delete;

private:
    friend int semaphore_waitFor(semaphore *handle, const struct timespec *timeout);

    pthread_cond_t cond;
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    unsigned int count;
};

#else
typedef struct semaphore semaphore;
#endif

VULM_BEGIN_C

/* A new semaphore with count 0, never NULL (throws std::bad_alloc). */
VULM_API semaphore *semaphore_create(void);
/* Destroys and frees a semaphore from semaphore_create; NULL is ignored. */
VULM_API void semaphore_destroy(semaphore *handle);
/* Takes a unit: blocking when `block` is non-zero, else only if one is
   available. 1 when a unit was taken, 0 otherwise. */
VULM_API int semaphore_wait(semaphore *handle, int block);
/*
 * Takes a unit, waiting at most the relative `timeout` (tv_nsec may be
 * negative or exceed one second; it is added as it is). The deadline is
 * fixed once on the monotonic clock. 1 when a unit was taken; 0 when the
 * time-out expired. A zero or negative time-out is a non-blocking attempt.
 */
VULM_API int semaphore_waitFor(semaphore *handle, const struct timespec *timeout);
/* Adds a unit; see semaphore::post. */
VULM_API void semaphore_post(semaphore *handle);

VULM_END_C

#endif
