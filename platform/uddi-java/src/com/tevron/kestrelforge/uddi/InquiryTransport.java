package com.tevron.kestrelforge.uddi;

import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.InputStream;
import java.io.OutputStream;
import java.net.HttpURLConnection;
import java.net.URL;
import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.List;
import javax.xml.XMLConstants;
import javax.xml.parsers.DocumentBuilder;
import javax.xml.parsers.DocumentBuilderFactory;
import org.w3c.dom.Document;
import org.w3c.dom.Element;
import org.w3c.dom.Node;
import org.xml.sax.InputSource;

/** UDDI version 2 messages as SOAP 1.1 over HTTP, and the DOM helpers to read the answers. */
final class InquiryTransport {
    static final String SOAP_NS = "http://schemas.xmlsoap.org/soap/envelope/";
    static final String UDDI_NS = "urn:uddi-org:api_v2";
    private static final int CONNECT_TIMEOUT_MS = 10_000;
    private static final int READ_TIMEOUT_MS = 60_000;
    private static final int MAX_RESPONSE_BYTES = 16 * 1024 * 1024;

    private InquiryTransport() {}

    /** Posts one inquiry body and gives the UDDI element of the answer's SOAP body. */
    static Element call(URL url, String body) throws Exception {
        String envelope = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                + "<Envelope xmlns=\"" + SOAP_NS + "\"><Body>" + body + "</Body></Envelope>";
        byte[] request = envelope.getBytes(StandardCharsets.UTF_8);
        // Neither streaming mode nor disconnect(): the request then goes out in one piece
        // and the connection is kept for the next call, which keeps loopback calls from
        // waiting on delayed acknowledgements.
        HttpURLConnection c = (HttpURLConnection) url.openConnection();
        {
            c.setConnectTimeout(CONNECT_TIMEOUT_MS);
            c.setReadTimeout(READ_TIMEOUT_MS);
            c.setRequestMethod("POST");
            c.setDoOutput(true);
            c.setRequestProperty("Content-Type", "text/xml; charset=utf-8");
            c.setRequestProperty("SOAPAction", "\"\"");
            try (OutputStream out = c.getOutputStream()) {
                out.write(request);
            }
            int status = c.getResponseCode();
            InputStream in = status >= 400 ? c.getErrorStream() : c.getInputStream();
            if (in == null) throw new IOException("HTTP " + status + " without a body");
            byte[] answer;
            try (InputStream stream = in) {
                answer = readAll(stream);
            }
            Element result = bodyElement(parse(answer));
            if (result != null && SOAP_NS.equals(result.getNamespaceURI())
                    && "Fault".equals(result.getLocalName())) {
                throw fault(result);
            }
            if (status != HttpURLConnection.HTTP_OK) throw new IOException("HTTP " + status);
            if (result == null) throw new IOException("empty SOAP body");
            return result;
        }
    }

    private static byte[] readAll(InputStream in) throws IOException {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        byte[] buffer = new byte[8192];
        for (int n; (n = in.read(buffer)) > 0;) {
            if (out.size() + n > MAX_RESPONSE_BYTES) throw new IOException("answer too large");
            out.write(buffer, 0, n);
        }
        return out.toByteArray();
    }

    // Looking a factory up costs more than a loopback call; one configured factory serves all.
    private static final DocumentBuilderFactory FACTORY = newFactory();

    private static DocumentBuilderFactory newFactory() {
        DocumentBuilderFactory f = DocumentBuilderFactory.newInstance();
        f.setNamespaceAware(true);
        try {
            // Answers come from the network: no document types, no outside entities.
            f.setFeature("http://apache.org/xml/features/disallow-doctype-decl", true);
            f.setFeature(XMLConstants.FEATURE_SECURE_PROCESSING, true);
        } catch (javax.xml.parsers.ParserConfigurationException e) {
            throw new IllegalStateException(e);
        }
        f.setExpandEntityReferences(false);
        return f;
    }

    private static Document parse(byte[] xml) throws Exception {
        DocumentBuilder b;
        synchronized (FACTORY) {
            b = FACTORY.newDocumentBuilder();
        }
        return b.parse(new InputSource(new java.io.ByteArrayInputStream(xml)));
    }

    private static Element bodyElement(Document d) throws IOException {
        Element envelope = d.getDocumentElement();
        if (!SOAP_NS.equals(envelope.getNamespaceURI())
                || !"Envelope".equals(envelope.getLocalName())) {
            throw new IOException("not a SOAP envelope");
        }
        Element body = child(envelope, SOAP_NS, "Body");
        if (body == null) throw new IOException("SOAP envelope without a body");
        return firstElement(body);
    }

    private static UddiFaultException fault(Element f) {
        String faultString = text(childAnyNs(f, "faultstring"));
        String code = null;
        String info = null;
        Element detail = childAnyNs(f, "detail");
        if (detail != null) {
            Element report = child(detail, UDDI_NS, "dispositionReport");
            Element result = report == null ? null : child(report, UDDI_NS, "result");
            Element err = result == null ? null : child(result, UDDI_NS, "errInfo");
            if (err != null) {
                code = err.getAttribute("errCode");
                info = text(err);
            }
        }
        return new UddiFaultException(faultString == null ? "SOAP fault" : faultString, code,
                info);
    }

    static Element firstElement(Node parent) {
        for (Node n = parent.getFirstChild(); n != null; n = n.getNextSibling()) {
            if (n.getNodeType() == Node.ELEMENT_NODE) return (Element) n;
        }
        return null;
    }

    static Element child(Node parent, String ns, String local) {
        if (parent == null) return null;
        for (Node n = parent.getFirstChild(); n != null; n = n.getNextSibling()) {
            if (n.getNodeType() == Node.ELEMENT_NODE && local.equals(n.getLocalName())
                    && ns.equals(n.getNamespaceURI())) {
                return (Element) n;
            }
        }
        return null;
    }

    // SOAP 1.1 fault children are unqualified; some servers qualify them anyway.
    private static Element childAnyNs(Node parent, String local) {
        if (parent == null) return null;
        for (Node n = parent.getFirstChild(); n != null; n = n.getNextSibling()) {
            if (n.getNodeType() == Node.ELEMENT_NODE && local.equals(n.getLocalName())) {
                return (Element) n;
            }
        }
        return null;
    }

    static List<Element> children(Node parent, String ns, String local) {
        List<Element> list = new ArrayList<>();
        if (parent == null) return list;
        for (Node n = parent.getFirstChild(); n != null; n = n.getNextSibling()) {
            if (n.getNodeType() == Node.ELEMENT_NODE && local.equals(n.getLocalName())
                    && ns.equals(n.getNamespaceURI())) {
                list.add((Element) n);
            }
        }
        return list;
    }

    /** The text of an element; null for a missing element. */
    static String text(Element e) {
        return e == null ? null : e.getTextContent();
    }

    /** An attribute's value; null when it is absent. */
    static String attribute(Element e, String name) {
        return e == null || !e.hasAttribute(name) ? null : e.getAttribute(name);
    }

    static String escape(String s) {
        StringBuilder b = new StringBuilder(s.length() + 16);
        for (int i = 0; i < s.length(); i++) {
            char ch = s.charAt(i);
            switch (ch) {
                case '&': b.append("&amp;"); break;
                case '<': b.append("&lt;"); break;
                case '>': b.append("&gt;"); break;
                case '"': b.append("&quot;"); break;
                case '\'': b.append("&apos;"); break;
                default:
                    // Characters XML 1.0 cannot carry are dropped rather than sent malformed.
                    if (ch >= 0x20 || ch == '\t' || ch == '\n' || ch == '\r') b.append(ch);
            }
        }
        return b.toString();
    }
}
