// Forced into every Windows compilation (-include). libstdc++ declares its
// std::string and std::wstring members as explicitly instantiated in the
// library; one call then links the whole prebuilt instantiation, about 200
// functions and their unwind tables, which the linker cannot drop on this
// target. With the value -1 only basic_string is left out of those extern
// declarations: each program compiles the members it calls, nothing more.
#pragma once
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE -1
