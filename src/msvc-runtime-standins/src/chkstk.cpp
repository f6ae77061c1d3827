// __chkstk: touches each page of a large stack frame in order, so that the
// guard page grows the stack. RAX holds the frame's size; every register but
// R10 and R11 is kept. Windows' DLLs do not export it to programs.
__asm__(".att_syntax\n"
        ".text\n"
        ".globl __chkstk\n"
        "__chkstk:\n"
        "  pushq %rcx\n"
        "  pushq %rax\n"
        "  cmpq $0x1000, %rax\n"
        "  leaq 24(%rsp), %rcx\n"
        "  jb 1f\n"
        "2:\n"
        "  subq $0x1000, %rcx\n"
        "  orq $0, (%rcx)\n"
        "  subq $0x1000, %rax\n"
        "  cmpq $0x1000, %rax\n"
        "  ja 2b\n"
        "1:\n"
        "  subq %rax, %rcx\n"
        "  orq $0, (%rcx)\n"
        "  popq %rax\n"
        "  popq %rcx\n"
        "  ret\n");
