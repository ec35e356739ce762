package com.tevron.kestrelforge.uddi;

import static com.tevron.kestrelforge.uddi.InquiryTransport.UDDI_NS;
import static com.tevron.kestrelforge.uddi.InquiryTransport.attribute;
import static com.tevron.kestrelforge.uddi.InquiryTransport.child;
import static com.tevron.kestrelforge.uddi.InquiryTransport.children;
import static com.tevron.kestrelforge.uddi.InquiryTransport.escape;
import static com.tevron.kestrelforge.uddi.InquiryTransport.text;

import java.io.IOException;
import java.net.URI;
import java.net.URL;
import java.util.HashMap;
import java.util.Map;
import org.uddi4j.util.FindQualifier;
import org.uddi4j.util.FindQualifiers;
import org.w3c.dom.Element;

/** UDDI version 2 inquiry (find_business, get_businessDetail, find_service) of one registry. */
public class ProxyImpl implements IProxy {
    private URL inquiryUrl;

    public ProxyImpl() {}

    @Override
    public void setInquiryURL(String url) throws Exception {
        if (url == null || url.isEmpty()) throw new IllegalArgumentException("no inquiry URL");
        URL parsed = new URI(url).toURL();
        String scheme = parsed.getProtocol();
        if (!"http".equalsIgnoreCase(scheme) && !"https".equalsIgnoreCase(scheme)) {
            throw new IllegalArgumentException("not an HTTP URL: " + url);
        }
        inquiryUrl = parsed;
    }

    @Override
    public KFBusinessInfos findBusiness(String name, FindQualifiers qualifiers, int maxRows)
            throws Exception {
        Element list = call("find_business", maxRows, qualifiersXml(qualifiers) + nameXml(name),
                "businessList");
        KFBusinessInfos infos = new KFBusinessInfos();
        Element businessInfos = child(list, UDDI_NS, "businessInfos");
        for (Element info : children(businessInfos, UDDI_NS, "businessInfo")) {
            infos.add(new KFBusinessInfo(text(child(info, UDDI_NS, "name")),
                    text(child(info, UDDI_NS, "description")), attribute(info, "businessKey")));
        }
        return infos;
    }

    @Override
    public KFServiceInfos getBusinessDetail(String businessKey, int maxRows) throws Exception {
        KFServiceInfos infos = new KFServiceInfos();
        for (Element entity : businessEntities(businessKey)) {
            for (Element service : services(entity)) {
                if (maxRows > 0 && infos.getServiceInfoVector().size() >= maxRows) return infos;
                infos.add(serviceInfo(entity, service));
            }
        }
        return infos;
    }

    @Override
    public KFServiceInfos findServiceEx(String name, FindQualifiers qualifiers, int maxRows)
            throws Exception {
        Element list = call("find_service", maxRows, qualifiersXml(qualifiers) + nameXml(name),
                "serviceList");
        // find_service names the services only; the rest comes from each business's detail.
        Map<String, Element> entities = new HashMap<>();
        KFServiceInfos infos = new KFServiceInfos();
        Element serviceInfos = child(list, UDDI_NS, "serviceInfos");
        for (Element info : children(serviceInfos, UDDI_NS, "serviceInfo")) {
            String serviceKey = attribute(info, "serviceKey");
            String businessKey = attribute(info, "businessKey");
            Element entity = null;
            if (businessKey != null && !businessKey.isEmpty()) {
                entity = entities.get(businessKey);
                if (entity == null) {
                    for (Element e : businessEntities(businessKey)) entity = e;
                    entities.put(businessKey, entity);
                }
            }
            Element service = null;
            if (entity != null) {
                for (Element s : services(entity)) {
                    if (serviceKey != null && serviceKey.equals(attribute(s, "serviceKey"))) {
                        service = s;
                    }
                }
            }
            if (service != null) {
                infos.add(serviceInfo(entity, service));
            } else {
                infos.add(new KFServiceInfo(text(child(info, UDDI_NS, "name")), null, serviceKey,
                        entity == null ? null : text(child(entity, UDDI_NS, "name")), businessKey,
                        null, null));
            }
        }
        return infos;
    }

    private Iterable<Element> businessEntities(String businessKey) throws Exception {
        if (businessKey == null || businessKey.isEmpty()) {
            throw new IllegalArgumentException("no business key");
        }
        String body = "<businessKey>" + escape(businessKey) + "</businessKey>";
        Element detail = call("get_businessDetail", 0, body, "businessDetail");
        return children(detail, UDDI_NS, "businessEntity");
    }

    private static Iterable<Element> services(Element entity) {
        return children(child(entity, UDDI_NS, "businessServices"), UDDI_NS, "businessService");
    }

    // The WSDL is the overview URL of the first binding's tModel instance, or else the
    // binding's access point.
    private static KFServiceInfo serviceInfo(Element entity, Element service) {
        String tModelKey = null;
        String wsdl = null;
        Element binding = child(child(service, UDDI_NS, "bindingTemplates"), UDDI_NS,
                "bindingTemplate");
        if (binding != null) {
            Element details = child(binding, UDDI_NS, "tModelInstanceDetails");
            for (Element instance : children(details, UDDI_NS, "tModelInstanceInfo")) {
                if (tModelKey == null) tModelKey = attribute(instance, "tModelKey");
                Element doc = child(child(instance, UDDI_NS, "instanceDetails"), UDDI_NS,
                        "overviewDoc");
                String url = doc == null ? null : text(child(doc, UDDI_NS, "overviewURL"));
                if (wsdl == null && url != null && !url.isEmpty()) wsdl = url.trim();
            }
            if (wsdl == null) {
                String access = text(child(binding, UDDI_NS, "accessPoint"));
                if (access != null) wsdl = access.trim();
            }
        }
        String businessKey = attribute(service, "businessKey");
        if (businessKey == null) businessKey = attribute(entity, "businessKey");
        return new KFServiceInfo(text(child(service, UDDI_NS, "name")),
                text(child(service, UDDI_NS, "description")), attribute(service, "serviceKey"),
                text(child(entity, UDDI_NS, "name")), businessKey, tModelKey, wsdl);
    }

    private Element call(String api, int maxRows, String content, String answer)
            throws Exception {
        if (inquiryUrl == null) throw new IllegalStateException("no inquiry URL set");
        String body = "<" + api + " generic=\"2.0\" xmlns=\"" + UDDI_NS + "\""
                + (maxRows > 0 ? " maxRows=\"" + maxRows + "\"" : "") + ">" + content + "</"
                + api + ">";
        Element result = InquiryTransport.call(inquiryUrl, body);
        if (!UDDI_NS.equals(result.getNamespaceURI()) || !answer.equals(result.getLocalName())) {
            throw new IOException("unexpected answer " + result.getLocalName() + " to " + api);
        }
        return result;
    }

    private static String qualifiersXml(FindQualifiers qualifiers) {
        if (qualifiers == null || qualifiers.size() == 0) return "";
        StringBuilder b = new StringBuilder("<findQualifiers>");
        for (FindQualifier q : qualifiers.getFindQualifierVector()) {
            if (q.getText() == null) continue;
            b.append("<findQualifier>").append(escape(q.getText())).append("</findQualifier>");
        }
        return b.append("</findQualifiers>").toString();
    }

    private static String nameXml(String name) {
        return name == null || name.isEmpty() ? "" : "<name>" + escape(name) + "</name>";
    }
}
