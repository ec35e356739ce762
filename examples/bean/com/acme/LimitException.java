package com.acme;

/** Raised when a deposit would pass the account's limit. */
public class LimitException extends Exception {
    public LimitException(String message) {
        super(message);
    }

    public double getLimit() {
        return 0;
    }
}
