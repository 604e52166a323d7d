#pragma once
#if defined(NETKIT_BUILD)
#define NETKIT_API __declspec(dllexport)
#else
#define NETKIT_API __declspec(dllimport)
#endif
