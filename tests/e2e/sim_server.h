// The stand-in server qmsim as a background child of a test: started from a
// scenario text, every request recorded, stopped when the holder goes away.
#ifndef QM_TESTS_E2E_SIM_SERVER_H_
#define QM_TESTS_E2E_SIM_SERVER_H_

#include <sys/types.h>

#include <string>
#include <vector>

namespace e2e {

// How qmsim is started.
struct SimOptions {
  std::string scenario;  // the scenario document (written to a file)
  unsigned short port = 4011;
  std::string user = "operator";
  std::string password = "demo-pass";
  std::vector<std::string> extra_args;  // e.g. {"--fault", "close"}
};

// One running qmsim. Its files live in `dir`: scenario.xml, qmsim.log
// (its standard output and error) and requests/request-<n>.bin. The child is
// stopped with SIGTERM in Stop or the destructor and killed when it does not
// end within a few seconds, so it never outlives the test.
class SimServer {
 public:
  // Starts qmsim and waits (at most 10 s) until it listens. `dir` must
  // exist and outlive the object. Listening() tells whether it came up.
  SimServer(const std::string& dir, const SimOptions& options);
  ~SimServer();

  SimServer(const SimServer&) = delete;
  SimServer& operator=(const SimServer&) = delete;

  // True once qmsim wrote its port file and is still running.
  bool Listening() const { return listening_; }

  // Stops the child (idempotent). Returns its exit status, or -1 when it
  // had to be killed or never ran.
  int Stop();

  // The raw requests qmsim received, in arrival order. Complete only after
  // Stop (or after the client has ended).
  std::vector<std::string> Requests() const;

  // What qmsim printed so far.
  std::string Log() const;

 private:
  std::string dir_;
  pid_t pid_ = -1;
  bool listening_ = false;
  int exit_status_ = -1;
};

}  // namespace e2e

#endif  // QM_TESTS_E2E_SIM_SERVER_H_
