#pragma once

class COperationHost;

// The target component's estimate of the erase time, asked with
// GetEraseEstimate of components of protocol 4.
class CEraseEstimate {
public:
    // Seconds an unattended run's erase may take when the component gives no estimate.
    static constexpr int kUnknownSeconds = 600;
    // The estimate of a component that gives none, as the progress display and the desktop's wait take it.
    static constexpr int kProgressSecondsWithoutEstimate = 10;

    static bool IsOffered(const COperationHost &host);
    // Sends the request.
    static void Ask(COperationHost &host);
    // Reads the answer into `seconds`; false after a failure, which has then ended the operation.
    static bool Receive(COperationHost &host, int &seconds);
};
