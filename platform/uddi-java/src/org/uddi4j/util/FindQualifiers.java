package org.uddi4j.util;

import java.util.Vector;

/** The findQualifiers element of an inquiry: qualifiers in the order added. */
public class FindQualifiers {
    private final Vector<FindQualifier> qualifiers = new Vector<>();

    public FindQualifiers() {}

    public void add(FindQualifier qualifier) {
        if (qualifier != null) qualifiers.add(qualifier);
    }

    public Vector<FindQualifier> getFindQualifierVector() {
        return qualifiers;
    }

    public int size() {
        return qualifiers.size();
    }
}
