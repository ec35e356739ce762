package com.tevron.kestrelforge.uddi;

/** A SOAP fault answered by the registry, with the UDDI error code when it gave one. */
public class UddiFaultException extends Exception {
    private static final long serialVersionUID = 1L;

    private final String errorCode;

    public UddiFaultException(String faultString, String errorCode, String errorText) {
        super(faultString
                + (errorCode == null || errorCode.isEmpty() ? "" : " (" + errorCode + ")")
                + (errorText == null || errorText.isEmpty() ? "" : ": " + errorText));
        this.errorCode = errorCode;
    }

    public String getErrorCode() {
        return errorCode;
    }
}
