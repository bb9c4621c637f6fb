"""Reference publishing service: the CGI programs, an FTP server, storage
and a mail outbox, in one process, for the library's tests and demos."""
