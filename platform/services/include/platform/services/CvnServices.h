/* Stand-in for the maker's services library Corvane.Services: one open and
 * one close call. The handle that the open call returns is also the context
 * of the installed-system inquiries of the imaging library. */
#ifndef PLATFORM_SERVICES_CVNSERVICES_H
#define PLATFORM_SERVICES_CVNSERVICES_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Opens the services; returns a non-zero handle on success. Opens are
 * counted: every open needs its close. */
uint64_t CvnServicesOpen(void);
/* Closes one open; the services stay up until the last open is closed. */
void CvnServicesClose(void);

/* Test support: the number of opens not yet closed. */
int32_t CvnServicesTestOpenCount(void);

#ifdef __cplusplus
}
#endif

#endif /* PLATFORM_SERVICES_CVNSERVICES_H */
