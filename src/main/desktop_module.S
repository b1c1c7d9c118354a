/* The desktop front end's shared object, carried in the installer's read-only data.
   LARKSPAN_GTK_MODULE names the file, in quotes. */
    .section .rodata.larkspan_gtk_module, "a"
    .balign 64
    .globl larkspan_gtk_module_start
larkspan_gtk_module_start:
    .incbin LARKSPAN_GTK_MODULE
    .globl larkspan_gtk_module_end
larkspan_gtk_module_end:
    .section .note.GNU-stack, "", @progbits
