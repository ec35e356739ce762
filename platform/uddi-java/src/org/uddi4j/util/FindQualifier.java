package org.uddi4j.util;

/** One UDDI version 2 find qualifier, sent as its text. */
public class FindQualifier {
    public static final String exactNameMatch = "exactNameMatch";
    public static final String caseSensitiveMatch = "caseSensitiveMatch";
    public static final String sortByNameAsc = "sortByNameAsc";
    public static final String sortByNameDesc = "sortByNameDesc";

    private final String value;

    public FindQualifier(String value) {
        this.value = value;
    }

    public String getText() {
        return value;
    }
}
