/* A module with nothing in it but, when built with versioned.rc, a version resource: the
   copy engine reads it as data and never runs it. */
int __stdcall DllMain(void *module, unsigned long reason, void *reserved) {
    (void)module;
    (void)reason;
    (void)reserved;
    return 1;
}
