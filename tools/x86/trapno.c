// Preloaded into the 32-bit Wine processes of the x86 platform (tools/x86/prepare.sh).
//
// qemu-user delivers guest signals with trap number -1 in the signal frame, where the
// Linux kernel gives the processor's exception number. Wine's i386 signal handlers choose
// the Windows exception from that number, so under qemu every access violation became an
// illegal instruction and killed the process. This library wraps the handlers Wine installs
// for the fault signals and fills in the number the kernel would have given, taken from the
// signal and its si_code, before Wine's handler sees the frame.
//
// Built without any C library headers (the host has no 32-bit ones): the few glibc i386
// layouts it needs are declared here.
//   clang --target=i386-linux-gnu -ffreestanding -nostdinc -fno-stack-protector -fPIC -c
//   ld -m elf_i386 -shared
// Built for x86-64 it is empty: LD_PRELOAD='/usr/$LIB/...' then finds a harmless twin for
// the native programs of the platform (the wineserver, the shell).

#if defined(__i386__)

enum {
    kSigIll = 4,
    kSigTrap = 5,
    kSigBus = 7,
    kSigFpe = 8,
    kSigSegv = 11,
    kSaSigInfo = 4,
    kRegTrapNo = 12,          // index in the gregs of an i386 ucontext
    kGregsOffset = 20,        // uc_flags, uc_link and the 12-byte uc_stack come first
    kSigsetWords = 1024 / 32, // glibc's sigset_t
};

typedef void (*SigAction)(int signal, void *info, void *context);

// glibc's struct sigaction on i386.
struct Action {
    void *handler;
    unsigned int mask[kSigsetWords];
    int flags;
    void (*restorer)(void);
};

// The leading fields of siginfo_t.
struct Info {
    int signo, errnoValue, code;
};

extern void *dlsym(void *handle, const char *name);
#define RTLD_NEXT ((void *)-1)

typedef int (*SigactionFunction)(int, const struct Action *, struct Action *);
static SigactionFunction realSigaction;
// Wine's handler of each fault signal, called after the frame has been mended.
static SigAction wrapped[32];

static int IsFaultSignal(int signal) {
    return signal == kSigSegv || signal == kSigBus || signal == kSigIll || signal == kSigFpe ||
           signal == kSigTrap;
}

// The processor exception the kernel reports for a signal and its si_code.
static int TrapNumber(int signal, int code) {
    switch (signal) {
    case kSigSegv:
        return code == 1 || code == 2 ? 14 : 13; // SEGV_MAPERR, SEGV_ACCERR: page fault
    case kSigBus:
        return code == 1 ? 17 : 13; // BUS_ADRALN: alignment check
    case kSigIll:
        return 6; // invalid opcode
    case kSigFpe:
        if (code == 1)
            return 0; // FPE_INTDIV: divide error
        if (code == 2)
            return 4; // FPE_INTOVF: overflow
        return 16;    // the x87 floating-point error
    case kSigTrap:
        return code == 2 ? 1 : 3; // TRAP_TRACE: single step; else a breakpoint
    }
    return 13;
}

static void MendFrame(int signal, void *info, void *context) {
    int *gregs = (int *)((char *)context + kGregsOffset);
    if (gregs[kRegTrapNo] == -1)
        gregs[kRegTrapNo] = TrapNumber(signal, ((struct Info *)info)->code);
    SigAction handler = wrapped[signal];
    if (handler)
        handler(signal, info, context);
}

// The field-by-field copy keeps the compiler from calling memcpy, which is not linked.
static void CopyAction(struct Action *to, const struct Action *from) {
    to->handler = from->handler;
    for (int i = 0; i < kSigsetWords; i++)
        to->mask[i] = from->mask[i];
    to->flags = from->flags;
    to->restorer = from->restorer;
}

int sigaction(int signal, const struct Action *action, struct Action *old) {
    if (!realSigaction)
        realSigaction = (SigactionFunction)dlsym(RTLD_NEXT, "sigaction");
    if (!realSigaction)
        return -1;
    if (!IsFaultSignal(signal) || !action)
        return realSigaction(signal, action, old);
    SigAction previous = wrapped[signal];
    // SIG_DFL, SIG_IGN and plain handlers are passed on as they are.
    if (!(action->flags & kSaSigInfo) || (unsigned long)action->handler <= 1) {
        wrapped[signal] = 0;
        int result = realSigaction(signal, action, old);
        if (result == 0 && old && old->handler == (void *)MendFrame)
            old->handler = (void *)previous;
        return result;
    }
    struct Action mended;
    CopyAction(&mended, action);
    mended.handler = (void *)MendFrame;
    // Recorded before the handler goes in: the signal may come at once.
    wrapped[signal] = (SigAction)action->handler;
    int result = realSigaction(signal, &mended, old);
    if (result != 0)
        wrapped[signal] = previous;
    else if (old && old->handler == (void *)MendFrame)
        old->handler = (void *)previous;
    return result;
}

#endif
