// LD_PRELOAD library: makes the process's monotonic clocks start at VX_MONOTONIC_START seconds
// (as if the machine had been up that long), so a test run can be tried at any uptime.
//
// Readings of CLOCK_MONOTONIC, _RAW, _COARSE, CLOCK_BOOTTIME (and _ALARM) are shifted by one
// offset fixed at load; absolute waits on those clocks (clock_nanosleep TIMER_ABSTIME,
// pthread_cond_clockwait, pthread_cond_timedwait on a monotonic condition, sem_clockwait,
// pthread_mutex_clocklock, pthread_rwlock_clock*, timerfd_settime TFD_TIMER_ABSTIME) are shifted
// back before they reach the C library, so they still end when they should.
// Without VX_MONOTONIC_START every call passes through unchanged.

#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <pthread.h>
#include <semaphore.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/timerfd.h>
#include <time.h>

#define NS_PER_S 1000000000LL

static int64_t g_offset;   // shifted = real + g_offset (nanoseconds)
static int g_active;

typedef int (*clock_gettime_fn)(clockid_t, struct timespec*);
static clock_gettime_fn real_clock_gettime;

static void* next_symbol(const char* name) { return dlsym(RTLD_NEXT, name); }

static int is_monotonic(clockid_t id) {
    return id == CLOCK_MONOTONIC || id == CLOCK_MONOTONIC_RAW || id == CLOCK_MONOTONIC_COARSE ||
           id == CLOCK_BOOTTIME || id == CLOCK_BOOTTIME_ALARM;
}

static int64_t to_ns(const struct timespec* ts) { return (int64_t)ts->tv_sec * NS_PER_S + ts->tv_nsec; }

static struct timespec from_ns(int64_t ns) {
    struct timespec ts;
    if (ns < 0) ns = 0; // a deadline before the real clock's zero has passed already
    ts.tv_sec = (time_t)(ns / NS_PER_S);
    ts.tv_nsec = (long)(ns % NS_PER_S);
    return ts;
}

// The real deadline for an absolute time read on the shifted clock.
static struct timespec unshift(const struct timespec* abstime) { return from_ns(to_ns(abstime) - g_offset); }

__attribute__((constructor)) static void shift_init(void) {
    real_clock_gettime = (clock_gettime_fn)next_symbol("clock_gettime");
    const char* start = getenv("VX_MONOTONIC_START");
    if (!start || !*start || !real_clock_gettime) return;
    char* end = NULL;
    double seconds = strtod(start, &end);
    if (end == start || seconds < 0) return;
    struct timespec now;
    if (real_clock_gettime(CLOCK_MONOTONIC, &now) != 0) return;
    g_offset = (int64_t)(seconds * 1e9) - to_ns(&now);
    g_active = 1;
}

int clock_gettime(clockid_t id, struct timespec* ts) {
    if (!real_clock_gettime) real_clock_gettime = (clock_gettime_fn)next_symbol("clock_gettime");
    int rc = real_clock_gettime(id, ts);
    if (rc == 0 && g_active && ts && is_monotonic(id)) *ts = from_ns(to_ns(ts) + g_offset);
    return rc;
}

int clock_nanosleep(clockid_t id, int flags, const struct timespec* request, struct timespec* remain) {
    static int (*real)(clockid_t, int, const struct timespec*, struct timespec*);
    if (!real) real = next_symbol("clock_nanosleep");
    if (g_active && (flags & TIMER_ABSTIME) && request && is_monotonic(id)) {
        struct timespec r = unshift(request);
        return real(id, flags, &r, remain);
    }
    return real(id, flags, request, remain);
}

int pthread_cond_clockwait(pthread_cond_t* cond, pthread_mutex_t* mutex, clockid_t id, const struct timespec* abstime) {
    static int (*real)(pthread_cond_t*, pthread_mutex_t*, clockid_t, const struct timespec*);
    if (!real) real = next_symbol("pthread_cond_clockwait");
    if (g_active && abstime && is_monotonic(id)) {
        struct timespec r = unshift(abstime);
        return real(cond, mutex, id, &r);
    }
    return real(cond, mutex, id, abstime);
}

// pthread_cond_timedwait measures on the clock the condition was made with. Conditions made
// with a monotonic clock attribute are remembered from pthread_cond_init until
// pthread_cond_destroy (a small open-addressed set; 1 marks a freed slot).
#define COND_SLOTS 4096
#define COND_FREED ((pthread_cond_t*)1)
static pthread_cond_t* g_monotonic_conds[COND_SLOTS];
static pthread_mutex_t g_conds_lock = PTHREAD_MUTEX_INITIALIZER;

static size_t cond_slot(const pthread_cond_t* c) { return ((uintptr_t)c >> 3) % COND_SLOTS; }

// The slot holding `c`, or -1. Caller holds g_conds_lock.
static long find_cond(const pthread_cond_t* c) {
    size_t start = cond_slot(c);
    for (size_t i = 0; i < COND_SLOTS; ++i) {
        size_t k = (start + i) % COND_SLOTS;
        if (g_monotonic_conds[k] == c) return (long)k;
        if (g_monotonic_conds[k] == NULL) return -1;
    }
    return -1;
}

static void forget_cond(const pthread_cond_t* c) {
    pthread_mutex_lock(&g_conds_lock);
    long k = find_cond(c);
    if (k >= 0) g_monotonic_conds[k] = COND_FREED;
    pthread_mutex_unlock(&g_conds_lock);
}

static void remember_cond(pthread_cond_t* c) {
    pthread_mutex_lock(&g_conds_lock);
    if (find_cond(c) < 0) {
        size_t start = cond_slot(c);
        for (size_t i = 0; i < COND_SLOTS; ++i) {
            size_t k = (start + i) % COND_SLOTS;
            if (g_monotonic_conds[k] == NULL || g_monotonic_conds[k] == COND_FREED) {
                g_monotonic_conds[k] = c;
                break;
            }
        }
    }
    pthread_mutex_unlock(&g_conds_lock);
}

static int cond_is_monotonic(const pthread_cond_t* c) {
    pthread_mutex_lock(&g_conds_lock);
    int found = find_cond(c) >= 0;
    pthread_mutex_unlock(&g_conds_lock);
    return found;
}

int pthread_cond_init(pthread_cond_t* cond, const pthread_condattr_t* attr) {
    static int (*real)(pthread_cond_t*, const pthread_condattr_t*);
    if (!real) real = next_symbol("pthread_cond_init");
    int rc = real(cond, attr);
    clockid_t id = CLOCK_REALTIME;
    if (rc == 0 && attr) pthread_condattr_getclock(attr, &id);
    if (rc == 0 && is_monotonic(id)) remember_cond(cond);
    else if (rc == 0) forget_cond(cond);
    return rc;
}

int pthread_cond_destroy(pthread_cond_t* cond) {
    static int (*real)(pthread_cond_t*);
    if (!real) real = next_symbol("pthread_cond_destroy");
    forget_cond(cond);
    return real(cond);
}

int pthread_cond_timedwait(pthread_cond_t* cond, pthread_mutex_t* mutex, const struct timespec* abstime) {
    static int (*real)(pthread_cond_t*, pthread_mutex_t*, const struct timespec*);
    if (!real) real = next_symbol("pthread_cond_timedwait");
    if (g_active && abstime && cond_is_monotonic(cond)) {
        struct timespec r = unshift(abstime);
        return real(cond, mutex, &r);
    }
    return real(cond, mutex, abstime);
}

int sem_clockwait(sem_t* sem, clockid_t id, const struct timespec* abstime) {
    static int (*real)(sem_t*, clockid_t, const struct timespec*);
    if (!real) real = next_symbol("sem_clockwait");
    if (g_active && abstime && is_monotonic(id)) {
        struct timespec r = unshift(abstime);
        return real(sem, id, &r);
    }
    return real(sem, id, abstime);
}

int pthread_mutex_clocklock(pthread_mutex_t* mutex, clockid_t id, const struct timespec* abstime) {
    static int (*real)(pthread_mutex_t*, clockid_t, const struct timespec*);
    if (!real) real = next_symbol("pthread_mutex_clocklock");
    if (g_active && abstime && is_monotonic(id)) {
        struct timespec r = unshift(abstime);
        return real(mutex, id, &r);
    }
    return real(mutex, id, abstime);
}

int pthread_rwlock_clockrdlock(pthread_rwlock_t* lock, clockid_t id, const struct timespec* abstime) {
    static int (*real)(pthread_rwlock_t*, clockid_t, const struct timespec*);
    if (!real) real = next_symbol("pthread_rwlock_clockrdlock");
    if (g_active && abstime && is_monotonic(id)) {
        struct timespec r = unshift(abstime);
        return real(lock, id, &r);
    }
    return real(lock, id, abstime);
}

int pthread_rwlock_clockwrlock(pthread_rwlock_t* lock, clockid_t id, const struct timespec* abstime) {
    static int (*real)(pthread_rwlock_t*, clockid_t, const struct timespec*);
    if (!real) real = next_symbol("pthread_rwlock_clockwrlock");
    if (g_active && abstime && is_monotonic(id)) {
        struct timespec r = unshift(abstime);
        return real(lock, id, &r);
    }
    return real(lock, id, abstime);
}

// timerfds remember their clock, so absolute settings can be shifted back.
#define FD_SLOTS 1024
static unsigned char g_monotonic_fd[FD_SLOTS];

int timerfd_create(int id, int flags) {
    static int (*real)(int, int);
    if (!real) real = next_symbol("timerfd_create");
    int fd = real(id, flags);
    if (fd >= 0 && fd < FD_SLOTS) __atomic_store_n(&g_monotonic_fd[fd], (unsigned char)is_monotonic(id), __ATOMIC_RELEASE);
    return fd;
}

int timerfd_settime(int fd, int flags, const struct itimerspec* value, struct itimerspec* old) {
    static int (*real)(int, int, const struct itimerspec*, struct itimerspec*);
    if (!real) real = next_symbol("timerfd_settime");
    if (g_active && (flags & TFD_TIMER_ABSTIME) && value && fd >= 0 && fd < FD_SLOTS &&
        __atomic_load_n(&g_monotonic_fd[fd], __ATOMIC_ACQUIRE) &&
        (value->it_value.tv_sec != 0 || value->it_value.tv_nsec != 0)) {
        struct itimerspec v = *value;
        v.it_value = unshift(&value->it_value);
        if (v.it_value.tv_sec == 0 && v.it_value.tv_nsec == 0) v.it_value.tv_nsec = 1; // 0 would disarm
        return real(fd, flags, &v, old);
    }
    return real(fd, flags, value, old);
}
