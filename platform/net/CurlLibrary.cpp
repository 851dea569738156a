// The libcurl calls the network clients make, standing in for the library:
// it is opened at the first transfer, so a program that never transfers (the
// agent at rest, an editor that only edits) maps neither it nor its TLS,
// Kerberos and LDAP libraries. The program is not linked with libcurl.

#include "platform/rtl/LazyLibrary.h"

#include <curl/curl.h>

#include <cstdarg>

#define CURL_FUNCTION(name) VELVANE_LAZY_FUNCTION("libcurl.so.4", name)

extern "C" {

CURLcode curl_global_init(long flags)
{
    CURL_FUNCTION(curl_global_init);
    return real(flags);
}

CURL* curl_easy_init()
{
    CURL_FUNCTION(curl_easy_init);
    return real();
}

void curl_easy_cleanup(CURL* easy)
{
    CURL_FUNCTION(curl_easy_cleanup);
    real(easy);
}

void curl_easy_reset(CURL* easy)
{
    CURL_FUNCTION(curl_easy_reset);
    real(easy);
}

const char* curl_easy_strerror(CURLcode code)
{
    CURL_FUNCTION(curl_easy_strerror);
    return real(code);
}

// The value's type follows from the option's number, as libcurl reads it.
CURLcode (curl_easy_setopt)(CURL* easy, CURLoption option, ...)
{
    CURL_FUNCTION(curl_easy_setopt);
    va_list args;
    va_start(args, option);
    CURLcode result;
    if (option < CURLOPTTYPE_OBJECTPOINT)
        result = real(easy, option, va_arg(args, long));
    else if (option >= CURLOPTTYPE_FUNCTIONPOINT && option < CURLOPTTYPE_OFF_T)
        result = real(easy, option, va_arg(args, void (*)()));
    else if (option >= CURLOPTTYPE_OFF_T && option < CURLOPTTYPE_BLOB)
        result = real(easy, option, va_arg(args, curl_off_t));
    else
        result = real(easy, option, va_arg(args, void*));
    va_end(args);
    return result;
}

// Every answer is written through a pointer.
CURLcode (curl_easy_getinfo)(CURL* easy, CURLINFO info, ...)
{
    CURL_FUNCTION(curl_easy_getinfo);
    va_list args;
    va_start(args, info);
    void* to = va_arg(args, void*);
    va_end(args);
    return real(easy, info, to);
}

curl_slist* curl_slist_append(curl_slist* list, const char* text)
{
    CURL_FUNCTION(curl_slist_append);
    return real(list, text);
}

void curl_slist_free_all(curl_slist* list)
{
    CURL_FUNCTION(curl_slist_free_all);
    real(list);
}

CURLSH* curl_share_init()
{
    CURL_FUNCTION(curl_share_init);
    return real();
}

CURLSHcode (curl_share_setopt)(CURLSH* share, CURLSHoption option, ...)
{
    CURL_FUNCTION(curl_share_setopt);
    va_list args;
    va_start(args, option);
    CURLSHcode result;
    if (option == CURLSHOPT_SHARE || option == CURLSHOPT_UNSHARE)
        result = real(share, option, va_arg(args, int));
    else if (option == CURLSHOPT_LOCKFUNC || option == CURLSHOPT_UNLOCKFUNC)
        result = real(share, option, va_arg(args, void (*)()));
    else
        result = real(share, option, va_arg(args, void*));
    va_end(args);
    return result;
}

CURLSHcode curl_share_cleanup(CURLSH* share)
{
    CURL_FUNCTION(curl_share_cleanup);
    return real(share);
}

CURLM* curl_multi_init()
{
    CURL_FUNCTION(curl_multi_init);
    return real();
}

CURLMcode curl_multi_add_handle(CURLM* multi, CURL* easy)
{
    CURL_FUNCTION(curl_multi_add_handle);
    return real(multi, easy);
}

CURLMcode curl_multi_remove_handle(CURLM* multi, CURL* easy)
{
    CURL_FUNCTION(curl_multi_remove_handle);
    return real(multi, easy);
}

CURLMcode curl_multi_perform(CURLM* multi, int* running)
{
    CURL_FUNCTION(curl_multi_perform);
    return real(multi, running);
}

CURLMcode curl_multi_poll(CURLM* multi, curl_waitfd extra[], unsigned int count, int timeoutMs, int* ready)
{
    CURL_FUNCTION(curl_multi_poll);
    return real(multi, extra, count, timeoutMs, ready);
}

CURLMsg* curl_multi_info_read(CURLM* multi, int* queued)
{
    CURL_FUNCTION(curl_multi_info_read);
    return real(multi, queued);
}

CURLMcode curl_multi_cleanup(CURLM* multi)
{
    CURL_FUNCTION(curl_multi_cleanup);
    return real(multi);
}

} // extern "C"
