// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef THREADHANDOVER_H
#define THREADHANDOVER_H

// What the Modbus worker thread produces reaches the GUI thread through Qt:
// a posted call, or the end of the thread reported by finished(). Qt's
// libraries are not built with ThreadSanitizer, whose runtime therefore sees
// neither Qt's locks nor its event queue, and takes every such hand-over for
// a data race. These functions state the hand-overs to it in a ThreadSanitizer
// build (KORVEL_SANITIZE=thread); in any other build they are empty.
//
// The token is any address both sides agree on, usually the receiving object.

#if defined(__SANITIZE_THREAD__)
#define KORVEL_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define KORVEL_THREAD_SANITIZER 1
#endif
#endif

#ifdef KORVEL_THREAD_SANITIZER
#include <sanitizer/tsan_interface.h>
extern "C" void __tsan_ignore_thread_begin();
extern "C" void __tsan_ignore_thread_end();
#endif

namespace ThreadHandOver {

// On the handing thread, once what it hands over is complete and before Qt is
// asked to deliver it.
inline void release(const void *token)
{
#ifdef KORVEL_THREAD_SANITIZER
    __tsan_release(const_cast<void *>(token));
#else
    (void)token;
#endif
}

// On the receiving thread, before it touches what was handed over.
inline void acquire(const void *token)
{
#ifdef KORVEL_THREAD_SANITIZER
    __tsan_acquire(const_cast<void *>(token));
#else
    (void)token;
#endif
}

// Around posting a call: the event and the call object Qt builds for it are
// written here after release() and freed on the receiving thread, which is
// the event queue's business, not ours.
class PostingScope
{
public:
    PostingScope()
    {
#ifdef KORVEL_THREAD_SANITIZER
        __tsan_ignore_thread_begin();
#endif
    }
    ~PostingScope()
    {
#ifdef KORVEL_THREAD_SANITIZER
        __tsan_ignore_thread_end();
#endif
    }

    PostingScope(const PostingScope &) = delete;
    PostingScope &operator=(const PostingScope &) = delete;
};

} // namespace ThreadHandOver

#endif // THREADHANDOVER_H
