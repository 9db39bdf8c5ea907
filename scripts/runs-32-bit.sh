#!/usr/bin/env bash
# Succeeds when this machine runs 32-bit programs, that is when Wine's 32-bit loader starts. Some
# virtual machines keep the processor's 32-bit mode off: there only 64-bit code runs, and the
# tests run a 64-bit build of the same sources under Wine's 64-bit loader.
exec /usr/lib/wine/wine --version >/dev/null 2>&1
