/* The bare minimum of a recording query, as a baseline for qmrecinfo:
 *   qm_bare_client PORT TRACKER.bin FILES.bin MOTIONS.bin
 * sends three pre-built request frames (as qmrecinfo sends them) to
 * 127.0.0.1:PORT, each over a fresh connection, and reads each reply to
 * the end of the connection. No segment, no result file. Built with
 * QM_PARSE_FLOOR, it also parses the two XML replies once each into a
 * TinyXML document (the work no client of these replies can avoid).
 * Exit status 0 when all three exchanges returned a reply. */
#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#ifdef QM_PARSE_FLOOR
int qm_parse_floor(const char* text);
#endif

/* Reads a whole file into a fresh buffer; NULL on failure. */
static unsigned char* read_file(const char* path, size_t* size) {
  FILE* file = fopen(path, "rb");
  if (file == NULL) return NULL;
  unsigned char* data = malloc(8192);
  size_t used = 0;
  if (data != NULL) used = fread(data, 1, 8192, file);
  fclose(file);
  *size = used;
  return data;
}

/* One exchange; returns the reply (zero-terminated, caller frees) or NULL. */
static char* exchange(unsigned short port, const unsigned char* request,
                      size_t size, size_t* reply_size) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return NULL;
  struct sockaddr_in addr;
  memset(&addr, 0, sizeof addr);
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  char* reply = NULL;
  if (connect(fd, (struct sockaddr*)&addr, sizeof addr) == 0 &&
      send(fd, request, size, MSG_NOSIGNAL) == (ssize_t)size) {
    size_t capacity = 65536, used = 0;
    reply = malloc(capacity + 1);
    for (;;) {
      if (used == capacity) {
        char* bigger = realloc(reply, 2 * capacity + 1);
        if (bigger == NULL) break;
        reply = bigger;
        capacity *= 2;
      }
      ssize_t got = recv(fd, reply + used, capacity - used, 0);
      if (got <= 0) break;
      used += (size_t)got;
    }
    reply[used] = '\0';
    *reply_size = used;
  }
  close(fd);
  return reply;
}

int main(int argc, char** argv) {
  if (argc != 5) {
    fprintf(stderr, "usage: %s PORT TRACKER.bin FILES.bin MOTIONS.bin\n", argv[0]);
    return 2;
  }
  unsigned short port = (unsigned short)strtoul(argv[1], NULL, 10);
  int status = 0;
  for (int i = 0; i < 3; ++i) {
    size_t size = 0, reply_size = 0;
    unsigned char* request = read_file(argv[2 + i], &size);
    if (request == NULL) return 3;
    char* reply = exchange(port, request, size, &reply_size);
    free(request);
    if (reply == NULL || reply_size == 0) status = 1;
#ifdef QM_PARSE_FLOOR
    if (reply != NULL && i > 0 && qm_parse_floor(reply) != 0) status = 1;
#endif
    free(reply);
  }
  return status;
}
